// A small JSON writer and reader for the screen dump and its viewer.
// The writer always produces valid UTF-8 JSON: text that is not valid UTF-8 is written with
// replacement characters, control characters are escaped. The reader is strict and bounded (depth),
// since the viewer opens dumps that come with bug reports.
#pragma once
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zorvan::json {

// Appends s to out as a JSON string literal (quotes included).
void AppendString(std::string& out, std::string_view s);
// Appends a number: integers without a fraction, others in the shortest form; NaN/infinity as null.
void AppendNumber(std::string& out, double v);

class Writer {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    Writer& key(std::string_view k);
    void value(std::string_view s);
    void value(const char* s) { value(std::string_view(s)); }
    void value(double v);
    void value(int v) { value(static_cast<double>(v)); }
    void value(long v) { value(static_cast<double>(v)); }
    void value(bool b);
    void null();
    const std::string& str() const { return out_; }

private:
    void separate();
    std::string out_;
    std::vector<bool> first_;  // one entry per open object/array: nothing written in it yet
    bool afterKey_ = false;
};

struct ParseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Value {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool b = false;
    double num = 0;
    std::string str;
    std::vector<Value> arr;
    std::vector<std::pair<std::string, Value>> obj;  // in document order

    bool isNull() const { return type == Type::Null; }
    bool isNumber() const { return type == Type::Number; }
    bool isString() const { return type == Type::String; }
    bool isArray() const { return type == Type::Array; }
    bool isObject() const { return type == Type::Object; }
    // The member named k, or nullptr (objects only).
    const Value* find(std::string_view k) const;
    bool has(std::string_view k) const { return find(k) != nullptr; }
    // Convenience readers with a fallback for a missing member or a member of another type.
    double number(std::string_view k, double fallback = 0) const;
    std::string string(std::string_view k, const std::string& fallback = {}) const;
    bool boolean(std::string_view k, bool fallback = false) const;
};

// Parses one JSON document (surrounding white space allowed); throws ParseError.
Value Parse(std::string_view text);

}  // namespace zorvan::json
