// Text at the edges of the program: packets and files carry GBK, the program works in UTF-8.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::text {

// Decodes GBK bytes to UTF-8. A byte sequence that is not valid GBK becomes U+FFFD; never throws.
std::string GbkToUtf8(std::span<const std::uint8_t> bytes);
std::string GbkToUtf8(std::string_view bytes);

// Encodes UTF-8 to GBK (code page 936). A character GBK cannot hold becomes '?'.
std::vector<std::uint8_t> Utf8ToGbk(std::string_view utf8);

// The GBK bytes of one code point: one byte, two bytes, or empty when it has none.
std::vector<std::uint8_t> EncodeCodePoint(char32_t cp);

// Length of the valid UTF-8 sequence at s[i], or 0 when the bytes there start none (overlong
// forms, surrogates and values past U+10FFFF are not valid).
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i);
// Splits UTF-8 into code points; invalid sequences become U+FFFD.
std::u32string Utf8ToCodePoints(std::string_view utf8);
std::string CodePointsToUtf8(std::u32string_view cps);
// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// Number of characters (code points).
std::size_t CharCount(std::string_view utf8);
// Display width as the game counts it: 1 for a character that takes one GBK byte, else 2.
std::size_t DisplayWidth(std::string_view utf8);
// The first n characters.
std::string LeftChars(std::string_view utf8, std::size_t n);

// The two packet text readers. Both read field [offset, offset + length) of a packet and stop at the
// first zero byte or at the field's end (or at the end of the packet, whichever is first).
// ReadBytewise: each byte is one character of the code page (ASCII stays ASCII, a byte 0x80 and above
// maps to U+0080 + (b - 0x80) so that names still compare as raw bytes via RawField).
std::string ReadBytewise(std::span<const std::uint8_t> packet, std::size_t offset, std::size_t length);
// ReadCodePage: the field decoded as GBK text.
std::string ReadCodePage(std::span<const std::uint8_t> packet, std::size_t offset, std::size_t length);
// The raw bytes of a zero-terminated field (for byte-wise comparison of account names).
std::string RawField(std::span<const std::uint8_t> packet, std::size_t offset, std::size_t length);

}  // namespace zorvan::text
