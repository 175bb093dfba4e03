// One JSON document written as it goes, for every command's --json: commas, nesting and
// string escapes are its business alone.
#pragma once

#include <concepts>
#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

namespace kx::cli {

// Objects keep their members on one line; each element of an array starts a line of its own.
// The document ends with a newline when its outermost value closes.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    JsonWriter& beginObject() { return open('{', false); }
    JsonWriter& beginArray() { return open('[', true); }
    // Closes the innermost object or array.
    JsonWriter& end();
    // The next member's name; its value follows.
    JsonWriter& key(std::string_view name);

    // A string: valid UTF-8 as it is, a byte that is not UTF-8 as its ByteEscape, quotes,
    // backslashes and control characters escaped.
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(bool truth);
    template <std::integral Number>
        requires(!std::same_as<Number, bool>)
    JsonWriter& value(Number number) {
        beginValue();
        out_ << +number;
        return endValue();
    }
    JsonWriter& null();

    template <class Value>
    JsonWriter& member(std::string_view name, const Value& v) {
        return key(name).value(v);
    }

private:
    struct Level {
        bool array;
        bool empty = true;
    };

    JsonWriter& open(char bracket, bool array);
    void beginValue();
    JsonWriter& endValue();

    std::ostream& out_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
};

}  // namespace kx::cli
