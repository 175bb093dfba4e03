// POSIX backend, paths: Windows paths to host paths and back, and the guard against links on
// the way to what a command changes.
#include "platform/posix/posix_platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/code_page.h"
#include "platform/paths.h"
#include "platform/posix/host_path_facts.h"

namespace kx {

// `base` joined with the first `count` parts, each in its existing spelling. Without kept
// listings the exact path is tried first (one lstat, the usual case); otherwise, and for a path
// that does not exist as spelled, the parent is resolved the same way and the last part looked
// up without regard to case.
std::string PosixPlatform::resolve(const std::string& base, const std::vector<std::string>& parts, std::size_t count) const {
    if (count == 0) return base;
    if (keepDepth_ == 0) {
        std::string exact = base;
        for (std::size_t i = 0; i < count; ++i) exact += "/" + parts[i];
        if (Exists(exact)) return exact;
    }
    std::string parent = resolve(base, parts, count - 1);
    auto found = lookup(parent.empty() ? "/" : parent, parts[count - 1]);
    return parent + "/" + (found ? found->name : parts[count - 1]);
}

const std::string& PosixPlatform::cwd() const {
    if (currentDirectory_.empty()) {
        char buf[4096];
        if (::getcwd(buf, sizeof buf)) {
            auto win = toWindowsPath(buf);
            if (win) currentDirectory_ = WithTrailingBackslash(*win);
        }
    }
    return currentDirectory_;
}

std::optional<std::string> PosixPlatform::absoluteWindowsPath(const std::string& path) const {
    if (path.size() >= 2 && path[1] == ':') return path;
    const std::string& cwd = this->cwd();
    if (cwd.empty()) return std::nullopt;
    if (!path.empty() && IsPathSeparator(path[0])) return cwd.substr(0, 2) + path;
    return cwd + path;
}

std::optional<std::string> PosixPlatform::toHostPath(const std::string& windowsPath) const {
    auto abs = absoluteWindowsPath(windowsPath);
    if (!abs) return std::nullopt;
    auto d = drive((*abs)[0]);
    if (!d) return std::nullopt;
    // Components: empty and "." vanish, ".." climbs but never above the drive's root.
    std::vector<std::string> parts;
    std::string current;
    auto flushPart = [&] {
        if (current.empty() || current == ".") {
        } else if (current == "..") {
            if (!parts.empty()) parts.pop_back();
        } else {
            parts.push_back(current);
        }
        current.clear();
    };
    const std::string_view rest = std::string_view(*abs).substr(2);
    ForEachCharacter(rest, [&](std::size_t at, std::size_t length) {
        if (length == 1 && IsPathSeparator(rest[at])) flushPart();
        else current += rest.substr(at, length);
        return true;
    });
    flushPart();
    std::string host = resolve(d->folder == "/" ? "" : d->folder, parts, parts.size());
    return host.empty() ? std::string("/") : host;
}

std::optional<std::string> PosixPlatform::toWindowsPath(const std::string& hostPath) const {
    std::string abs = hostPath;
    if (abs.empty() || abs[0] != '/') {
        char buf[4096];
        if (!::getcwd(buf, sizeof buf)) return std::nullopt;
        abs = std::string(buf) + "/" + hostPath;
    }
    int best = -1;
    std::size_t bestLen = 0;
    for (int i = 0; i < 26; ++i) {
        if (!drives_[i]) continue;
        const std::string& f = drives_[i]->folder;
        bool covers = f == "/" || (abs.compare(0, f.size(), f) == 0 && (abs.size() == f.size() || abs[f.size()] == '/'));
        std::size_t len = f == "/" ? 0 : f.size();
        if (covers && (best < 0 || len > bestLen)) {
            best = i;
            bestLen = len;
        }
    }
    if (best < 0) return std::nullopt;
    const std::string_view rest = std::string_view(abs).substr(bestLen);
    std::string out = std::string(1, static_cast<char>('A' + best)) + ":";
    // Doubled separators (a trailing "/" or "//") become one.
    bool afterSeparator = false;
    ForEachCharacter(rest, [&](std::size_t at, std::size_t length) {
        const bool separator = length == 1 && rest[at] == '/';
        if (!(separator && afterSeparator)) out += separator ? std::string_view("\\") : rest.substr(at, length);
        afterSeparator = separator;
        return true;
    });
    if (out.size() == 2) out += '\\';
    return out;
}

std::nullopt_t PosixPlatform::refuse(std::string reason) {
    refusal_ = std::move(reason);
    return std::nullopt;
}

std::optional<std::string> PosixPlatform::hostPathToChange(const std::string& windowsPath, Change what) {
    auto abs = absoluteWindowsPath(windowsPath);
    auto d = abs ? drive((*abs)[0]) : std::nullopt;
    auto host = abs ? toHostPath(*abs) : std::nullopt;
    if (!d || !host) return refuse("No such drive");
    const std::string base = d->folder == "/" ? std::string() : d->folder;
    for (std::size_t end = host->find('/', base.size() + 1);; end = host->find('/', end + 1)) {
        const bool last = end == std::string::npos;
        std::string prefix = host->substr(0, end);
        auto type = typeAt(prefix);
        if (!type) break;  // nothing below a missing entry exists
        if (S_ISLNK(*type))
            return refuse(last ? "Is a link" : "A link stands in its path: " + prefix.substr(prefix.rfind('/') + 1));
        if (last) {
            if (what == Change::File && !S_ISREG(*type)) return refuse(NotAFileReason(*type));
            if (what == Change::Folder && !S_ISDIR(*type)) return refuse(std::strerror(EEXIST));
            break;
        }
    }
    return host;
}

std::optional<std::string> PosixPlatform::hostPathToRead(const std::string& windowsPath) {
    auto host = toHostPath(windowsPath);
    if (!host) return refuse("No such drive");
    auto type = typeAt(*host);
    struct stat st {};
    if (!type || *type != S_IFREG) {  // a link is followed
        if (::stat(host->c_str(), &st) != 0) return std::nullopt;
        type = st.st_mode & S_IFMT;
    }
    if (const char* reason = NotAFileReason(*type)) return refuse(reason);
    return host;
}

}  // namespace kx
