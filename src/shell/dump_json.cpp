#include "shell/dump_json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "text/gbk.h"

namespace zorvan::json {
namespace {

class Parser {
public:
    explicit Parser(std::string_view t) : t_(t) {}

    Value document() {
        Value v = value(0);
        skipSpace();
        if (i_ != t_.size()) fail("text after the document");
        return v;
    }

private:
    static constexpr int kMaxDepth = 200;

    [[noreturn]] void fail(const std::string& what) const {
        throw ParseError("JSON: " + what + " at offset " + std::to_string(i_));
    }
    void skipSpace() {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\n' || t_[i_] == '\r')) ++i_;
    }
    bool take(char ch) {
        skipSpace();
        if (i_ < t_.size() && t_[i_] == ch) { ++i_; return true; }
        return false;
    }
    void expect(char ch) {
        if (!take(ch)) fail(std::string("expected '") + ch + "'");
    }
    void literal(std::string_view word) {
        if (t_.substr(i_, word.size()) != word) fail("unknown literal");
        i_ += word.size();
    }

    Value value(int depth) {
        if (depth > kMaxDepth) fail("nesting too deep");
        skipSpace();
        if (i_ >= t_.size()) fail("unexpected end");
        Value v;
        char ch = t_[i_];
        if (ch == '{') {
            ++i_;
            v.type = Value::Type::Object;
            if (take('}')) return v;
            do {
                skipSpace();
                if (i_ >= t_.size() || t_[i_] != '"') fail("expected a member name");
                std::string k = string();
                expect(':');
                v.obj.emplace_back(std::move(k), value(depth + 1));
            } while (take(','));
            expect('}');
        } else if (ch == '[') {
            ++i_;
            v.type = Value::Type::Array;
            if (take(']')) return v;
            do v.arr.push_back(value(depth + 1));
            while (take(','));
            expect(']');
        } else if (ch == '"') {
            v.type = Value::Type::String;
            v.str = string();
        } else if (ch == 't') {
            literal("true"); v.type = Value::Type::Bool; v.b = true;
        } else if (ch == 'f') {
            literal("false"); v.type = Value::Type::Bool;
        } else if (ch == 'n') {
            literal("null");
        } else {
            v.type = Value::Type::Number;
            v.num = number();
        }
        return v;
    }

    double number() {
        std::size_t start = i_;
        if (i_ < t_.size() && t_[i_] == '-') ++i_;
        auto digits = [&] {
            std::size_t d = i_;
            while (i_ < t_.size() && t_[i_] >= '0' && t_[i_] <= '9') ++i_;
            return i_ - d;
        };
        std::size_t intStart = i_;
        if (digits() == 0) fail("bad number");
        if (t_[intStart] == '0' && i_ - intStart > 1) fail("leading zero");
        if (i_ < t_.size() && t_[i_] == '.') { ++i_; if (digits() == 0) fail("bad fraction"); }
        if (i_ < t_.size() && (t_[i_] == 'e' || t_[i_] == 'E')) {
            ++i_;
            if (i_ < t_.size() && (t_[i_] == '+' || t_[i_] == '-')) ++i_;
            if (digits() == 0) fail("bad exponent");
        }
        double v = 0;
        auto r = std::from_chars(t_.data() + start, t_.data() + i_, v);
        if (r.ec != std::errc() && r.ec != std::errc::result_out_of_range) fail("bad number");
        return v;
    }

    std::uint32_t hex4() {
        if (i_ + 4 > t_.size()) fail("short \\u escape");
        std::uint32_t v = 0;
        for (int k = 0; k < 4; ++k) {
            char h = t_[i_++];
            v <<= 4;
            if (h >= '0' && h <= '9') v |= h - '0';
            else if (h >= 'a' && h <= 'f') v |= h - 'a' + 10;
            else if (h >= 'A' && h <= 'F') v |= h - 'A' + 10;
            else fail("bad \\u escape");
        }
        return v;
    }

    std::string string() {
        ++i_;  // the opening quote
        std::string out;
        while (true) {
            if (i_ >= t_.size()) fail("unterminated string");
            unsigned char ch = static_cast<unsigned char>(t_[i_]);
            if (ch == '"') { ++i_; return out; }
            if (ch < 0x20) fail("control character in string");
            if (ch == '\\') {
                if (++i_ >= t_.size()) fail("unterminated escape");
                char e = t_[i_++];
                switch (e) {
                    case '"': out += '"'; break;
                    case '\\': out += '\\'; break;
                    case '/': out += '/'; break;
                    case 'b': out += '\b'; break;
                    case 'f': out += '\f'; break;
                    case 'n': out += '\n'; break;
                    case 'r': out += '\r'; break;
                    case 't': out += '\t'; break;
                    case 'u': {
                        std::uint32_t cp = hex4();
                        if (cp >= 0xD800 && cp <= 0xDBFF && t_.substr(i_, 2) == "\\u") {
                            std::size_t save = i_;
                            i_ += 2;
                            std::uint32_t lo = hex4();
                            if (lo >= 0xDC00 && lo <= 0xDFFF) cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                            else { i_ = save; cp = 0xFFFD; }
                        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                            cp = 0xFFFD;  // a lone surrogate
                        }
                        text::AppendUtf8(out, cp);
                        break;
                    }
                    default: fail("unknown escape");
                }
                continue;
            }
            std::size_t n = text::Utf8SequenceLength(t_, i_);
            if (n == 0) fail("invalid UTF-8");
            out.append(t_.substr(i_, n));
            i_ += n;
        }
    }

    std::string_view t_;
    std::size_t i_ = 0;
};

}  // namespace

void AppendString(std::string& out, std::string_view raw) {
    // Text that is not valid UTF-8 is written with U+FFFD, so the document is always valid JSON.
    const std::string s = text::CodePointsToUtf8(text::Utf8ToCodePoints(raw));
    out += '"';
    for (std::size_t i = 0; i < s.size();) {
        unsigned char ch = static_cast<unsigned char>(s[i]);
        switch (ch) {
            case '"': out += "\\\""; ++i; continue;
            case '\\': out += "\\\\"; ++i; continue;
            case '\n': out += "\\n"; ++i; continue;
            case '\r': out += "\\r"; ++i; continue;
            case '\t': out += "\\t"; ++i; continue;
            case '\b': out += "\\b"; ++i; continue;
            case '\f': out += "\\f"; ++i; continue;
            default: break;
        }
        if (ch < 0x20 || ch == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", ch);
            out += buf;
            ++i;
            continue;
        }
        out += s[i];
        ++i;
    }
    out += '"';
}

void AppendNumber(std::string& out, double v) {
    if (!std::isfinite(v)) { out += "null"; return; }
    if (v == 0) { out += '0'; return; }  // also for -0
    char buf[32];
    std::to_chars_result r;
    if (std::trunc(v) == v && std::fabs(v) < 9007199254740992.0)
        r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(v));
    else
        r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void Writer::separate() {
    if (afterKey_) { afterKey_ = false; return; }
    if (!first_.empty()) {
        if (!first_.back()) out_ += ',';
        first_.back() = false;
    }
}

void Writer::beginObject() { separate(); out_ += '{'; first_.push_back(true); }
void Writer::endObject() { out_ += '}'; first_.pop_back(); }
void Writer::beginArray() { separate(); out_ += '['; first_.push_back(true); }
void Writer::endArray() { out_ += ']'; first_.pop_back(); }

Writer& Writer::key(std::string_view k) {
    separate();
    AppendString(out_, k);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

void Writer::value(std::string_view s) { separate(); AppendString(out_, s); }
void Writer::value(double v) { separate(); AppendNumber(out_, v); }
void Writer::value(bool b) { separate(); out_ += b ? "true" : "false"; }
void Writer::null() { separate(); out_ += "null"; }

const Value* Value::find(std::string_view k) const {
    for (const auto& [name, v] : obj)
        if (name == k) return &v;
    return nullptr;
}

double Value::number(std::string_view k, double fallback) const {
    const Value* v = find(k);
    return v && v->isNumber() ? v->num : fallback;
}

std::string Value::string(std::string_view k, const std::string& fallback) const {
    const Value* v = find(k);
    return v && v->isString() ? v->str : fallback;
}

bool Value::boolean(std::string_view k, bool fallback) const {
    const Value* v = find(k);
    return v && v->type == Type::Bool ? v->b : fallback;
}

Value Parse(std::string_view text) { return Parser(text).document(); }

}  // namespace zorvan::json
