#include "text/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace zorvan::text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

namespace {

// One iconv descriptor per direction, opened once; conversions run on the UI thread only but the
// server is multi-table in one thread too, so a mutex keeps this safe if that ever changes.
struct Converter {
    iconv_t cd;
    std::mutex m;
    Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Converter() { if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd); }
    // Converts one unit; returns false when the input is not convertible.
    bool convert(const char* in, std::size_t inLen, char* out, std::size_t& outLen) {
        std::lock_guard lock(m);
        if (cd == reinterpret_cast<iconv_t>(-1)) return false;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* inp = const_cast<char*>(in);
        char* outp = out;
        std::size_t inLeft = inLen, outLeft = outLen;
        std::size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
        if (r == static_cast<std::size_t>(-1) || inLeft != 0) return false;
        outLen = outLen - outLeft;
        return true;
    }
};

Converter& FromGbk() { static Converter c("UTF-32LE", "CP936"); return c; }
Converter& ToGbk() { static Converter c("CP936", "UTF-32LE"); return c; }

char32_t DecodeUnit(const std::uint8_t* p, std::size_t n) {
    char buf[8];
    std::size_t outLen = sizeof buf;
    if (!FromGbk().convert(reinterpret_cast<const char*>(p), n, buf, outLen) || outLen != 4) return kReplacement;
    auto b = reinterpret_cast<unsigned char*>(buf);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<char32_t>(b[3]) << 24);
}

}  // namespace

std::string GbkToUtf8(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    for (std::size_t i = 0; i < bytes.size();) {
        std::uint8_t b = bytes[i];
        if (b < 0x80) { out += static_cast<char>(b); ++i; continue; }
        if (b == 0x80 || b == 0xFF) { AppendUtf8(out, b == 0x80 ? 0x20AC : kReplacement); ++i; continue; }
        if (i + 1 < bytes.size()) {
            char32_t cp = DecodeUnit(&bytes[i], 2);
            if (cp != kReplacement) { AppendUtf8(out, cp); i += 2; continue; }
        }
        AppendUtf8(out, kReplacement);
        ++i;
    }
    return out;
}

std::string GbkToUtf8(std::string_view bytes) {
    return GbkToUtf8(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    if (i >= s.size()) return 0;
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    std::size_t n;
    char32_t cp;
    if (b0 < 0x80) return 1;
    if (b0 >= 0xC2 && b0 <= 0xDF) { n = 2; cp = b0 & 0x1F; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { n = 3; cp = b0 & 0x0F; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { n = 4; cp = b0 & 0x07; }
    else return 0;
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;  // overlong, too big
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;  // surrogates are not characters
    return n;
}

std::u32string Utf8ToCodePoints(std::string_view s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = Utf8SequenceLength(s, i);
        if (n == 0) { out += kReplacement; ++i; continue; }
        auto b = static_cast<unsigned char>(s[i]);
        char32_t cp = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
        for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out += cp;
        i += n;
    }
    return out;
}

std::string CodePointsToUtf8(std::u32string_view cps) {
    std::string out;
    for (char32_t cp : cps) AppendUtf8(out, cp);
    return out;
}

std::vector<std::uint8_t> EncodeCodePoint(char32_t cp) {
    if (cp < 0x80) return {static_cast<std::uint8_t>(cp)};
    char in[4] = {static_cast<char>(cp & 0xFF), static_cast<char>((cp >> 8) & 0xFF),
                  static_cast<char>((cp >> 16) & 0xFF), static_cast<char>((cp >> 24) & 0xFF)};
    char buf[8];
    std::size_t outLen = sizeof buf;
    if (!ToGbk().convert(in, 4, buf, outLen) || outLen == 0 || outLen > 2) return {};
    return {buf, buf + outLen};
}

std::vector<std::uint8_t> Utf8ToGbk(std::string_view utf8) {
    std::vector<std::uint8_t> out;
    for (char32_t cp : Utf8ToCodePoints(utf8)) {
        auto enc = EncodeCodePoint(cp);
        if (enc.empty()) out.push_back('?');
        else out.insert(out.end(), enc.begin(), enc.end());
    }
    return out;
}

std::size_t CharCount(std::string_view utf8) { return Utf8ToCodePoints(utf8).size(); }

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t w = 0;
    for (char32_t cp : Utf8ToCodePoints(utf8)) w += (cp < 0x80) ? 1 : 2;
    return w;
}

std::string LeftChars(std::string_view utf8, std::size_t n) {
    auto cps = Utf8ToCodePoints(utf8);
    if (cps.size() > n) cps.resize(n);
    return CodePointsToUtf8(cps);
}

namespace {
std::span<const std::uint8_t> FieldBytes(std::span<const std::uint8_t> packet, std::size_t offset, std::size_t length) {
    if (offset >= packet.size()) return {};
    std::size_t end = std::min(packet.size(), offset + length);
    std::size_t stop = offset;
    while (stop < end && packet[stop] != 0) ++stop;
    return packet.subspan(offset, stop - offset);
}
}  // namespace

std::string ReadBytewise(std::span<const std::uint8_t> packet, std::size_t offset, std::size_t length) {
    std::string out;
    for (std::uint8_t b : FieldBytes(packet, offset, length)) AppendUtf8(out, b);
    return out;
}

std::string ReadCodePage(std::span<const std::uint8_t> packet, std::size_t offset, std::size_t length) {
    return GbkToUtf8(FieldBytes(packet, offset, length));
}

std::string RawField(std::span<const std::uint8_t> packet, std::size_t offset, std::size_t length) {
    auto f = FieldBytes(packet, offset, length);
    return {f.begin(), f.end()};
}

}  // namespace zorvan::text
