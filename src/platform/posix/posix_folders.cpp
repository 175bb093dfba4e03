// POSIX backend, folders: listings read or kept, lookups without regard to case, and find.
#include "platform/posix/posix_platform.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <string_view>

#include "platform/paths.h"
#include "platform/posix/host_path_facts.h"

namespace kx {

namespace {

// The file type a folder's entry names; 0 when the folder does not say.
mode_t EntryType(unsigned char dtype) {
    switch (dtype) {
        case DT_REG: return S_IFREG;
        case DT_DIR: return S_IFDIR;
        case DT_LNK: return S_IFLNK;
        case DT_FIFO: return S_IFIFO;
        case DT_SOCK: return S_IFSOCK;
        case DT_CHR: return S_IFCHR;
        case DT_BLK: return S_IFBLK;
        default: return 0;
    }
}

// A host path split at its last separator: the folder ("/" for the root's entries) and the name.
std::pair<std::string, std::string> SplitHostPath(const std::string& hostPath) {
    std::size_t slash = hostPath.rfind('/');
    if (slash == std::string::npos) return {".", hostPath};
    return {slash == 0 ? "/" : hostPath.substr(0, slash), hostPath.substr(slash + 1)};
}

// Calls visit(name, type) for a folder's entries but its dot entries, in the folder's order,
// until it answers false; false when the folder cannot be read.
template <class Visit>
bool ReadFolder(const std::string& hostFolder, Visit&& visit) {
    DIR* d = ::opendir(hostFolder.c_str());
    if (!d) return false;
    while (dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name != "." && name != ".." && !visit(name, EntryType(e->d_type))) break;
    }
    ::closedir(d);
    return true;
}

}  // namespace

bool PosixPlatform::IgnoreCaseLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        auto lower = [](char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
        return lower(x) < lower(y);
    });
}

void PosixPlatform::keepListings(bool keep) {
    keepDepth_ += keep ? 1 : -1;
    if (keepDepth_ == 0) kept_.clear();
}

const PosixPlatform::Listing* PosixPlatform::keptListing(const std::string& hostFolder) const {
    auto found = kept_.find(hostFolder);
    if (found != kept_.end()) return &found->second;
    Listing read;
    auto keep = [&](std::string_view name, mode_t type) {
        read.emplace(std::string(name), type);
        return true;
    };
    // A folder that could not be read is not kept: it may be made later.
    if (!ReadFolder(hostFolder, keep)) return nullptr;
    return &(kept_[hostFolder] = std::move(read));
}

template <class Visit>
void PosixPlatform::visitEntries(const std::string& hostFolder, Visit&& visit) const {
    // Without kept listings a search reads only as far as it needs.
    if (keepDepth_ == 0) return void(ReadFolder(hostFolder, visit));
    if (const Listing* entries = keptListing(hostFolder))
        for (const auto& [name, type] : *entries)
            if (!visit(std::string_view(name), type)) return;
}

std::optional<PosixPlatform::Entry> PosixPlatform::lookup(const std::string& hostFolder, const std::string& name) const {
    if (name == "." || name == "..") return Entry{name, S_IFDIR};
    if (keepDepth_ > 0) {
        const Listing* entries = keptListing(hostFolder);
        if (!entries) return std::nullopt;
        auto [first, last] = entries->equal_range(name);
        if (first == last) return std::nullopt;
        auto exact = std::find_if(first, last, [&](const auto& e) { return e.first == name; });
        return exact != last ? Entry{exact->first, exact->second} : Entry{first->first, first->second};
    }
    struct stat st {};  // the usual case, an exact name, costs one lstat instead of a listing
    if (::lstat((hostFolder + "/" + name).c_str(), &st) == 0) return Entry{name, st.st_mode & S_IFMT};
    std::optional<Entry> found;
    ReadFolder(hostFolder, [&](std::string_view entry, mode_t type) {
        if (EqualsIgnoreCase(entry, name)) found = Entry{std::string(entry), type};
        return !found;
    });
    return found;
}

std::optional<mode_t> PosixPlatform::typeAt(const std::string& hostPath) const {
    struct stat st {};
    auto [folder, name] = SplitHostPath(hostPath);
    if (keepDepth_ > 0 && !name.empty()) {
        auto entry = lookup(folder, name);
        if (!entry || entry->name != name) return std::nullopt;
        if (entry->type != 0) return entry->type;
    }
    if (::lstat(hostPath.c_str(), &st) != 0) return std::nullopt;
    return st.st_mode & S_IFMT;
}

bool PosixPlatform::isFolder(const std::string& hostPath) const {
    auto type = typeAt(hostPath);
    return type && (*type == S_IFDIR || (*type == S_IFLNK && IsDirectory(hostPath)));
}

void PosixPlatform::noteAdded(const std::string& hostPath, mode_t type) {
    auto [folder, name] = SplitHostPath(hostPath);
    auto found = kept_.find(folder);
    if (found == kept_.end()) return;
    auto [first, last] = found->second.equal_range(name);
    for (auto e = first; e != last; ++e)
        if (e->first == name) return void(e->second = type);
    found->second.emplace(name, type);
}

void PosixPlatform::noteRemoved(const std::string& hostPath) {
    auto [folder, name] = SplitHostPath(hostPath);
    // A folder removed or moved away takes its listing, and those of its folders, along.
    std::erase_if(kept_, [&](const auto& kept) {
        return kept.first.compare(0, hostPath.size(), hostPath) == 0 &&
               (kept.first.size() == hostPath.size() || kept.first[hostPath.size()] == '/');
    });
    auto found = kept_.find(folder);
    if (found == kept_.end()) return;
    auto [first, last] = found->second.equal_range(name);
    for (auto e = first; e != last; ++e)
        if (e->first == name) return void(found->second.erase(e));
}

std::vector<FoundFile> PosixPlatform::find(const std::string& pattern, std::size_t limit) {
    std::vector<FoundFile> result;
    const std::string namePattern(FileNamePart(pattern));
    const std::string folder = pattern.substr(0, pattern.size() - namePattern.size());
    if (namePattern.empty() || limit == 0) return result;
    auto hostDir = toHostPath(folder.empty() ? std::string(".") : folder);
    if (!hostDir || !isFolder(*hostDir)) return result;
    const bool isRoot = !folder.empty() && toHostPath(folder.substr(0, 2) + "\\") == hostDir;
    // A volume's root has no dot entries; any other folder lists them first, as FAT does.
    auto isDots = [](const std::string& n) { return n == "." || n == ".."; };
    auto found = [&](const std::string& name, mode_t type) {
        bool isDir = type == S_IFDIR || ((type == 0 || type == S_IFLNK) && IsDirectory(*hostDir + "/" + name));
        result.push_back({name, isDir});
    };

    if (namePattern.find_first_of("*?") == std::string::npos) {
        // One name: looked up directly instead of matched against the whole folder.
        auto entry = lookup(*hostDir, namePattern);
        if (entry && !(isRoot && isDots(entry->name))) found(entry->name, entry->type);
        return result;
    }
    if (!isRoot)
        for (const char* dots : {".", ".."})
            if (WildcardMatch(namePattern, dots) && result.size() < limit) result.push_back({dots, true});
    const std::size_t dotCount = result.size();
    if (result.size() < limit) visitEntries(*hostDir, [&](std::string_view name, mode_t type) {
        if (WildcardMatch(namePattern, name)) found(std::string(name), type);
        return result.size() < limit;
    });
    // A complete listing comes in a stable order; which entries a limited one holds is the
    // listing's affair.
    if (limit == SIZE_MAX)
        std::sort(result.begin() + static_cast<std::ptrdiff_t>(dotCount), result.end(),
                  [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    return result;
}

}  // namespace kx
