// Conversion of display names through iconv, a byte at a time where a byte has no character.
#include "cli/code_page.h"

#include <cerrno>
#include <cstdio>
#include <functional>

#include "platform/paths.h"

namespace kx::cli {

namespace {

constexpr std::string_view kCodePagePrefix = "CP";

// What to do with the byte at which a conversion stopped: false ends the conversion.
using OnUnconverted = std::function<bool(unsigned char byte, std::string& out)>;

// Converts all of `input`; at a byte the converter refuses (or a character cut short at the
// end), `onUnconverted` decides, and the conversion starts again after that byte.
bool Convert(void* handle, std::string_view input, std::string& out, const OnUnconverted& onUnconverted) {
    auto* cd = static_cast<iconv_t>(handle);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[64];
    while (inLeft > 0) {
        char* at = buffer;
        std::size_t room = sizeof buffer;
        const bool stopped = iconv(cd, &in, &inLeft, &at, &room) == static_cast<std::size_t>(-1);
        const int error = errno;
        out.append(buffer, static_cast<std::size_t>(at - buffer));
        if (!stopped || error == E2BIG) continue;
        if (!onUnconverted(static_cast<unsigned char>(*in), out)) return false;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

// C0 controls and DEL: nothing a terminal or a column of output should be handed.
bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

std::string EscapeControls(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsControl(byte))
            out += ByteEscape(byte);
        else
            out += c;
    }
    return out;
}

}  // namespace

std::string UnknownCodePage(std::string_view number) {
    return "no code page " + std::string(number) + " here: a code page is a number the C library's iconv knows as CP<N>, such as 1252 or 932";
}

std::string ByteEscape(unsigned char byte) {
    char text[5];
    std::snprintf(text, sizeof text, "\\x%02x", byte);
    return text;
}

std::optional<CardCodePage::Converter> CardCodePage::OpenConverter(const std::string& to, const std::string& from) {
    iconv_t handle = iconv_open(to.c_str(), from.c_str());
    if (handle == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    return Converter(handle);
}

std::optional<CardCodePage> CardCodePage::Open(std::string_view number) {
    if (number.size() > kCodePagePrefix.size() && EqualsIgnoreCase(number.substr(0, kCodePagePrefix.size()), kCodePagePrefix))
        number.remove_prefix(kCodePagePrefix.size());
    if (number.empty() || number.size() > 5 || number.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const std::string name = std::string(kCodePagePrefix) + std::string(number);
    auto toUtf8 = OpenConverter("UTF-8", name);
    auto fromUtf8 = OpenConverter(name, "UTF-8");
    if (!toUtf8 || !fromUtf8) return std::nullopt;
    return CardCodePage(std::move(*toUtf8), std::move(*fromUtf8));
}

std::string CardCodePage::toUtf8(std::string_view stored) const {
    std::string out;
    Convert(toUtf8_.get(), stored, out, [](unsigned char byte, std::string& text) {
        text += ByteEscape(byte);
        return true;
    });
    return EscapeControls(out);
}

std::optional<std::string> CardCodePage::fromUtf8(std::string_view utf8) const {
    std::string stored, back;
    const auto refuse = [](unsigned char, std::string&) { return false; };
    if (!Convert(fromUtf8_.get(), utf8, stored, refuse)) return std::nullopt;
    // The converter maps a few characters one way only; what reads back differently is not
    // the name that was given.
    if (!Convert(toUtf8_.get(), stored, back, refuse) || back != utf8) return std::nullopt;
    return stored;
}

}  // namespace kx::cli
