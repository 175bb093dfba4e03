// The card's display names between the code page they are stored in and the terminal's UTF-8,
// converted by the C library's iconv.
#pragma once

#include <iconv.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kx::cli {

// The code page assumed when neither --codepage nor this variable names one.
inline constexpr std::string_view kDefaultCodePage = "1252";
inline constexpr std::string_view kCodePageVariable = "KXCARD_CODEPAGE";

// Why `number` names no code page here.
std::string UnknownCodePage(std::string_view number);

// How a byte with no character of its own is shown: "\x8d".
std::string ByteEscape(unsigned char byte);

// The code page of a card's display names (the Windows ANSI code page of whoever wrote them).
class CardCodePage {
public:
    // "1252", "932" (or "CP932"): the C library's converter CP<N>. Nothing when there is none.
    static std::optional<CardCodePage> Open(std::string_view number);

    // The stored bytes as UTF-8; a byte that does not convert, or converts to a control
    // character, is shown as its ByteEscape.
    std::string toUtf8(std::string_view stored) const;
    // The code page's bytes for UTF-8 text; nothing when a character has no exact form there
    // (one the converter would only approximate, such as ¥ for a backslash in 932), or when
    // the text is not UTF-8.
    std::optional<std::string> fromUtf8(std::string_view utf8) const;

private:
    struct Close {
        void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
    };
    using Converter = std::unique_ptr<void, Close>;

    static std::optional<Converter> OpenConverter(const std::string& to, const std::string& from);
    CardCodePage(Converter toUtf8, Converter fromUtf8)
        : toUtf8_(std::move(toUtf8)), fromUtf8_(std::move(fromUtf8)) {}

    Converter toUtf8_, fromUtf8_;
};

}  // namespace kx::cli
