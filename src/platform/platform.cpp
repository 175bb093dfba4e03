// The backend switch and the helpers every module shares over it.
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>

#include "platform/paths.h"

namespace kx {

namespace {
Platform* g_platform = nullptr;
}

Platform& platform() { return g_platform ? *g_platform : nativePlatform(); }
void setPlatform(Platform* p) { g_platform = p; }

bool File::readExactly(std::span<std::uint8_t> into) {
    auto got = read(into);
    return got && *got == into.size();
}

bool File::writeExactly(std::span<const std::uint8_t> from) {
    auto put = write(from);
    return put && *put == from.size();
}

bool PathExists(const std::string& pattern) { return !platform().find(pattern, 1).empty(); }

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
    auto file = platform().open(path, OpenMode::Read);
    if (!file) return std::nullopt;
    auto size = file->size();
    // The system reads with the low 32 bits of the size; anything larger is no design.
    if (!size || *size > 0xFFFFFFFFull) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*size));
    if (!file->readExactly(bytes)) return std::nullopt;
    return bytes;
}

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsCopySideFileName(std::string_view name) {
    constexpr std::string_view kPrefix = "~kx", kSuffix = ".tmp", kEarlierMark = ".kxcopy-";
    constexpr std::size_t kPidDigits = 8;
    if (name.size() == kPrefix.size() + kPidDigits + kSuffix.size()) {
        std::string_view pid = name.substr(kPrefix.size(), kPidDigits);
        if (EqualsIgnoreCase(name.substr(0, kPrefix.size()), kPrefix) &&
            EqualsIgnoreCase(name.substr(name.size() - kSuffix.size()), kSuffix) &&
            std::all_of(pid.begin(), pid.end(), IsHexDigit))
            return true;
    }
    // "<name>.kxcopy-<digits>": the mark is the last dot's, after a name of at least one character.
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || name.size() <= dot + kEarlierMark.size()) return false;
    std::string_view digits = name.substr(dot + kEarlierMark.size());
    return EqualsIgnoreCase(name.substr(dot, kEarlierMark.size()), kEarlierMark) &&
           std::all_of(digits.begin(), digits.end(), IsDigit);
}

std::string CopySideFileName() {
    char name[16];
    std::snprintf(name, sizeof name, "~kx%08x.tmp", static_cast<unsigned>(CurrentProcessId()));
    return name;
}

std::vector<FoundFile> RemoveCopySideFiles(const std::string& folder) {
    std::vector<FoundFile> others;
    for (FoundFile& found : platform().find(folder + "*")) {
        if (!found.isDirectory && IsCopySideFileName(found.name)) platform().deleteFile(folder + found.name);
        else others.push_back(std::move(found));
    }
    return others;
}

WholeFileWrite WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    Platform& system = platform();
    std::string side = path.substr(0, path.size() - FileNamePart(path).size()) + CopySideFileName();
    {
        auto file = system.open(side, OpenMode::Replace);
        if (!file) return {WholeFileWrite::NotCreated, system.lastError()};
        if (!file->writeExactly(bytes)) {
            WholeFileWrite failed{WholeFileWrite::Incomplete, system.lastError()};
            file.reset();
            system.deleteFile(side);
            return failed;
        }
    }
    if (!system.moveFileReplacing(side, path)) {
        WholeFileWrite failed{WholeFileWrite::NotCreated, system.lastError()};
        system.deleteFile(side);
        return failed;
    }
    return {WholeFileWrite::Written, {}};
}

}  // namespace kx
