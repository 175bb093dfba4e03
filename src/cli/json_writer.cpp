// JSON output: the layout, and strings made safe whatever bytes a name holds.
#include "cli/json_writer.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/code_page.h"

namespace kx::cli {

namespace {

// The length of the well-formed UTF-8 sequence starting at `at`, or 0 when the byte there
// starts none (overlong forms, surrogates and values past U+10FFFF are not UTF-8).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    // The second byte's range narrows for the leads that would allow a form outside UTF-8.
    unsigned char low = 0x80, high = 0xBF;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    return length;
}

void WriteString(std::ostream& out, std::string_view text) {
    out << '"';
    for (std::size_t at = 0; at < text.size();) {
        const auto c = static_cast<unsigned char>(text[at]);
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            out << "\\" << ByteEscape(c);  // the escape's own backslash, escaped for JSON
        } else if (c == '"' || c == '\\') {
            out << '\\' << text[at];
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out << escaped;
        } else {
            out << text.substr(at, length);
        }
        at += length == 0 ? 1 : length;
    }
    out << '"';
}

}  // namespace

JsonWriter& JsonWriter::open(char bracket, bool array) {
    beginValue();
    out_ << bracket;
    levels_.push_back({array});
    return *this;
}

JsonWriter& JsonWriter::end() {
    if (levels_.empty()) return *this;
    out_ << (levels_.back().array ? ']' : '}');
    levels_.pop_back();
    return endValue();
}

JsonWriter& JsonWriter::key(std::string_view name) {
    beginValue();
    WriteString(out_, name);
    out_ << ": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    beginValue();
    WriteString(out_, text);
    return endValue();
}

JsonWriter& JsonWriter::value(bool truth) {
    beginValue();
    out_ << (truth ? "true" : "false");
    return endValue();
}

JsonWriter& JsonWriter::null() {
    beginValue();
    out_ << "null";
    return endValue();
}

// Before a key, or a value that has no key: the separator from the one before it.
void JsonWriter::beginValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty()) return;
    Level& level = levels_.back();
    if (!level.empty) out_ << ',';
    if (level.array) {
        const auto arrays = std::count_if(levels_.begin(), levels_.end(), [](const Level& l) { return l.array; });
        out_ << '\n' << std::string(2 * static_cast<std::size_t>(arrays), ' ');
    }
    else if (!level.empty)
        out_ << ' ';
    level.empty = false;
}

JsonWriter& JsonWriter::endValue() {
    if (levels_.empty()) out_ << '\n';
    return *this;
}

}  // namespace kx::cli
