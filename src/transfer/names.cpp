// Name rules for design names and folder display names.
#include "transfer/names.h"

#include <algorithm>
#include <cstdio>

#include "card/order_file.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/platform.h"

namespace kx {

const char* const kForbiddenCharactersMessage =
    "A filename cannot contain any of the following characters:\n \\ / : * ? \" < > |";
const char* const kFolderNameTooLongMessage = "To maximum 8 characters";
const char* const kCardCannotHoldName =
    "The card cannot hold this name (1 to 255 characters, none of \\ / : * ? \" < > |, no trailing dot or space)";
const char* const kDeviceName = "Windows takes this name for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9)";
const char* const kThumbnailNameTaken = "The design would have the name of its own thumbnail (.kxt)";
const char* const kCardPathTooLong = "The name is too long for the card: its path there would pass 259 characters";

namespace {
constexpr std::size_t kMaxTypedNameLength = 36;
constexpr int kAdvertisedNameLength = 32;
}  // namespace

bool IsForbiddenNameCharacter(char c) {
    return std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
}

namespace {

// True when a single-byte character among the first `bytes` bytes of `name` is `bad`: a
// double-byte character's second byte (0x5C, 0x7C) is never taken for one.
template <class Bad>
bool HoldsCharacter(std::string_view name, Bad bad, std::size_t bytes = std::string_view::npos) {
    bool held = false;
    ForEachCharacter(name, [&](std::size_t at, std::size_t length) {
        if (at >= bytes) return false;
        held = length == 1 && bad(name[at]);
        return !held;
    });
    return held;
}

bool HoldsForbiddenCharacter(std::string_view name, std::size_t bytes = std::string_view::npos) {
    return HoldsCharacter(name, IsForbiddenNameCharacter, bytes);
}

}  // namespace

bool FatVolumeCanHoldName(std::string_view name) {
    constexpr std::size_t kLongestName = 255;
    if (name.empty() || name.size() > kLongestName || name.back() == '.' || name.back() == ' ') return false;
    return !HoldsCharacter(name, [](char c) { return static_cast<unsigned char>(c) < 0x20 || IsForbiddenNameCharacter(c); });
}

std::optional<std::string> CardFileProblem(const std::string& folder, const std::string& name) {
    if (!FatVolumeCanHoldName(name)) return kCardCannotHoldName;
    // A file Windows cannot reach on the card: the dialogs could neither read nor erase it.
    if (NamesWindowsDevice(name)) return kDeviceName;
    std::string thumbnail = ReplaceExtension(name, "kxt");
    if (EqualsIgnoreCase(thumbnail, name)) return kThumbnailNameTaken;
    std::size_t longest = std::max({name.size(), thumbnail.size(), CopySideFileName().size()});
    if (folder.size() + longest >= kMaxPath) return kCardPathTooLong;
    return std::nullopt;
}

bool CheckNameCharacters(std::string_view name) {
    return !HoldsForbiddenCharacter(name.substr(0, name.find('\0')), kDisplayNameLength);
}

DisplayNameCheck CheckFolderDisplayName(WindowRef owner, std::string_view typed) {
    if (typed.empty()) return DisplayNameCheck::Empty;
    if (typed.size() > kDisplayNameLength) {
        ShowMessage(owner, kFolderNameTooLongMessage, "Rename", mb::ICONHAND);
        return DisplayNameCheck::TooLong;
    }
    if (!CheckNameCharacters(typed)) {
        ShowMessage(owner, kForbiddenCharactersMessage, "Rename", mb::ICONHAND);
        return DisplayNameCheck::ForbiddenCharacter;
    }
    return DisplayNameCheck::Valid;
}

int CheckNameLength(WindowRef owner, std::string_view name) {
    if (name.size() <= kMaxTypedNameLength) return 1;
    std::string text = "The Open/Save Folder does not support the long file names such as \"" +
                       std::string(name) + "\".\nPlease shorten the file name to " +
                       std::to_string(kAdvertisedNameLength) + " characters or less.";
    ShowMessage(owner, text, "File Name Error", mb::ICONHAND);
    return 0;
}

std::optional<std::string> MakeCardDesignName(std::string_view typed) {
    typed = CutAtCharacter(typed.substr(0, typed.find('\0')), kMaxPath);
    if (HoldsForbiddenCharacter(typed)) return std::nullopt;
    std::string base = SplitPath(typed).base;
    std::size_t start = base.find_first_not_of('.');
    std::string stem = start == std::string::npos ? std::string() : base.substr(start, base.find('.', start) - start);
    return stem + ".kxd";
}

std::optional<std::string> ContainedFileName(std::string_view name) {
    name = name.substr(0, name.find('\0'));
    // Cut after the last separator or colon, wherever it stands (not only a drive's).
    std::size_t cut = 0;
    ForEachCharacter(name, [&](std::size_t at, std::size_t length) {
        if (length == 1 && (IsPathSeparator(name[at]) || name[at] == ':')) cut = at + 1;
        return true;
    });
    std::string_view file = name.substr(cut);
    if (file.find_first_not_of('.') == std::string_view::npos) return std::nullopt;
    return std::string(file);
}

std::string ContainedBaseName(std::string_view name) {
    auto file = ContainedFileName(name);
    return file ? SplitPath(*file).base : std::string();
}

}  // namespace kx
