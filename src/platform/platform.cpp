// The backend switch and the helpers every module shares over it.
#include "platform/platform.h"

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

constexpr std::string_view kSidePrefix = "~kx", kSideSuffix = ".tmp";
constexpr std::size_t kHexDigits = 8;
constexpr std::size_t kSideNameLength = kSidePrefix.size() + 2 * kHexDigits + kSideSuffix.size();

// The check value a side file's name carries after the process id: a keyed FNV-1a over the id,
// so that a file someone made under a name of the same shape fails it (1 in 2^32).
std::uint32_t SideFileCheck(std::uint32_t processId) {
    std::uint32_t hash = 2166136261u;
    auto mix = [&hash](std::uint8_t byte) { hash = (hash ^ byte) * 16777619u; };
    for (char c : std::string_view("kxcard side file")) mix(static_cast<std::uint8_t>(c));
    for (int shift = 0; shift < 32; shift += 8) mix(static_cast<std::uint8_t>(processId >> shift));
    return hash;
}

// Eight hex digits in either case, or nothing.
std::optional<std::uint32_t> ParseHex8(std::string_view digits) {
    std::uint32_t value = 0;
    for (char c : digits) {
        int digit = c >= '0' && c <= '9' ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

}  // namespace

bool IsCopySideFileName(std::string_view name) {
    if (name.size() != kSideNameLength || !EqualsIgnoreCase(name.substr(0, kSidePrefix.size()), kSidePrefix) ||
        !EqualsIgnoreCase(name.substr(name.size() - kSideSuffix.size()), kSideSuffix))
        return false;
    auto processId = ParseHex8(name.substr(kSidePrefix.size(), kHexDigits));
    auto check = ParseHex8(name.substr(kSidePrefix.size() + kHexDigits, kHexDigits));
    return processId && check && *check == SideFileCheck(*processId);
}

std::string CopySideFileName() {
    char name[kSideNameLength + 1];
    std::uint32_t processId = CurrentProcessId();
    std::snprintf(name, sizeof name, "~kx%08x%08x.tmp", static_cast<unsigned>(processId),
                  static_cast<unsigned>(SideFileCheck(processId)));
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
    auto file = system.open(side, OpenMode::CreateNew);
    if (!file) {
        WholeFileWrite failed{WholeFileWrite::Outcome::NotCreated, system.lastError()};
        if (!system.deleteFile(side) || !(file = system.open(side, OpenMode::CreateNew))) return failed;
    }
    auto failed = [&](WholeFileWrite::Outcome outcome) {
        WholeFileWrite result{outcome, system.lastError()};
        file.reset();
        system.deleteFile(side);
        return result;
    };
    if (!file->writeExactly(bytes)) return failed(WholeFileWrite::Outcome::Incomplete);
    if (!file->renameTo(path)) return failed(WholeFileWrite::Outcome::NotCreated);
    return {WholeFileWrite::Outcome::Written, {}};
}

}  // namespace kx
