#include "records/ini.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

#include "text/gbk.h"

namespace zorvan {
namespace {

std::string Trim(std::string_view s) {
    auto blank = [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\0'; };
    std::size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lo = [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; };
        if (lo(a[i]) != lo(b[i])) return false;
    }
    return true;
}

// The file's lines as UTF-8 (empty when it cannot be read).
std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    if (!in) return lines;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t nl = bytes.find('\n', at);
        std::string_view raw(bytes.data() + at, (nl == std::string::npos ? bytes.size() : nl) - at);
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        lines.push_back(text::GbkToUtf8(raw));
        if (nl == std::string::npos) break;
        at = nl + 1;
    }
    return lines;
}

// Written to a temporary file first and moved over the old one: a failed write never leaves a
// half-written file behind.
bool WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        for (const auto& l : lines) {
            auto g = text::Utf8ToGbk(l);
            out.write(reinterpret_cast<const char*>(g.data()), static_cast<std::streamsize>(g.size()));
            out.write("\r\n", 2);
        }
        if (!out.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        return false;
    }
    return true;
}

// The section name of a "[name]" line, or false for other lines.
bool SectionOf(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.empty() || t.front() != '[') return false;
    std::size_t close = t.find(']');
    name = Trim(std::string_view(t).substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// The key of a "key=value" line (false for comments and lines without '=').
bool KeyOf(const std::string& line, std::string& key, std::string* value = nullptr) {
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    std::string t = Trim(std::string_view(line).substr(0, eq));
    if (!t.empty() && t.front() == ';') return false;
    key = t;
    if (value) *value = Trim(std::string_view(line).substr(eq + 1));
    return true;
}

// Lines [begin, end) of the section's body; begin is npos when the section is missing.
struct Span { std::size_t header = std::string::npos, begin = 0, end = 0; };
Span FindSection(const std::vector<std::string>& lines, const std::string& section) {
    Span s;
    std::string name;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!SectionOf(lines[i], name)) continue;
        if (s.header != std::string::npos) {
            s.end = i;
            return s;
        }
        if (SameName(name, section)) {
            s.header = i;
            s.begin = i + 1;
        }
    }
    if (s.header != std::string::npos) s.end = lines.size();
    return s;
}

std::string OneLine(std::string v) {
    for (char& ch : v)
        if (ch == '\r' || ch == '\n') ch = ' ';
    return v;
}

void Put(std::vector<std::string>& lines, const std::string& section, const std::string& key, const std::string& value) {
    std::string line = OneLine(key) + "=" + OneLine(value);
    Span s = FindSection(lines, section);
    if (s.header == std::string::npos) {
        lines.push_back("[" + section + "]");
        lines.push_back(line);
        return;
    }
    std::string k;
    std::size_t last = s.begin;  // after the last non-empty line of the section
    for (std::size_t i = s.begin; i < s.end; ++i) {
        if (KeyOf(lines[i], k) && SameName(k, key)) {
            lines[i] = line;
            return;
        }
        if (!Trim(lines[i]).empty()) last = i + 1;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last), line);
}

}  // namespace

bool classIniFile::WriteIniKey(const std::string& section, const std::string& key, const std::string& value) {
    return WriteIniKeys(section, {{key, value}});
}

bool classIniFile::WriteIniKeys(const std::string& section, const std::vector<std::pair<std::string, std::string>>& keys) {
    if (INIFileName.empty()) return false;
    auto lines = ReadLines(INIFileName);
    for (const auto& [k, v] : keys) Put(lines, section, k, v);
    return WriteLines(INIFileName, lines);
}

std::string classIniFile::GetIniKey(const std::string& section, const std::string& key) const {
    if (INIFileName.empty()) return {};
    auto lines = ReadLines(INIFileName);
    Span s = FindSection(lines, section);
    if (s.header == std::string::npos) return {};
    std::string k, v;
    for (std::size_t i = s.begin; i < s.end; ++i) {
        if (!KeyOf(lines[i], k, &v) || !SameName(k, key)) continue;
        if (text::CharCount(v) > 1023) v = Trim(text::LeftChars(v, 1023));
        return v;
    }
    return {};
}

std::vector<std::pair<std::string, std::string>> classIniFile::GetIniSection(const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> out;
    if (INIFileName.empty()) return out;
    auto lines = ReadLines(INIFileName);
    Span s = FindSection(lines, section);
    if (s.header == std::string::npos) return out;
    std::string k, v;
    for (std::size_t i = s.begin; i < s.end; ++i) {
        if (!KeyOf(lines[i], k, &v)) continue;
        if (text::CharCount(v) > 1023) v = Trim(text::LeftChars(v, 1023));
        out.emplace_back(k, v);
    }
    return out;
}

void classIniFile::DelIniKey(const std::string& section, const std::string& key) {
    if (INIFileName.empty()) return;
    auto lines = ReadLines(INIFileName);
    Span s = FindSection(lines, section);
    if (s.header == std::string::npos) return;
    std::string k;
    for (std::size_t i = s.begin; i < s.end; ++i) {
        if (KeyOf(lines[i], k) && SameName(k, key)) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
            WriteLines(INIFileName, lines);
            return;
        }
    }
}

void classIniFile::DelIniSec(const std::string& section) {
    if (INIFileName.empty()) return;
    auto lines = ReadLines(INIFileName);
    Span s = FindSection(lines, section);
    if (s.header == std::string::npos) return;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(s.header), lines.begin() + static_cast<std::ptrdiff_t>(s.end));
    WriteLines(INIFileName, lines);
}

bool ParseIniNumber(const std::string& text, long long lo, long long hi, long long& out) {
    std::string t = Trim(text);
    if (t.empty() || t.size() > 18) return false;
    std::size_t i = 0;
    bool neg = false;
    if (t[0] == '-' || t[0] == '+') {
        neg = t[0] == '-';
        i = 1;
    }
    if (i == t.size()) return false;
    long long v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') return false;
        v = v * 10 + (t[i] - '0');
    }
    if (neg) v = -v;
    if (v < lo || v > hi) return false;
    out = v;
    return true;
}

}  // namespace zorvan
