// POSIX backend, drives: the drive table, the removable mounts it starts with, and volume sizes.
#include "platform/posix/posix_platform.h"

#include <dirent.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/posix/host_path_facts.h"

namespace kx {

namespace {

std::string UnescapeMountField(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            auto oct = s.substr(i + 1, 3);
            if (oct.size() == 3 && std::all_of(oct.begin(), oct.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>(std::stoi(oct, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

int DriveIndex(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    return (letter >= 'A' && letter <= 'Z') ? letter - 'A' : -1;
}

}  // namespace

PosixPlatform::PosixPlatform() { mapDrive('Z', "/", DriveType::Fixed); }

void PosixPlatform::loadSystemDrives() {
    std::vector<std::string> removableDevices;
    if (DIR* d = ::opendir("/sys/block")) {
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            std::ifstream flag("/sys/block/" + name + "/removable");
            int removable = 0;
            if (flag >> removable && removable == 1) removableDevices.push_back(name);
        }
        ::closedir(d);
    }
    std::sort(removableDevices.begin(), removableDevices.end());
    std::ifstream mounts("/proc/mounts");
    std::string line;
    std::vector<std::string> mountPoints;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (!(fields >> device >> mountPoint)) continue;
        for (const auto& dev : removableDevices) {
            std::string prefix = "/dev/" + dev;
            if (device.compare(0, prefix.size(), prefix) == 0) {
                mountPoints.push_back(UnescapeMountField(mountPoint));
                break;
            }
        }
    }
    char letter = 'E';
    for (const auto& mp : mountPoints) {
        if (letter >= 'Z') break;
        mapDrive(letter++, mp, DriveType::Removable);
    }
}

void PosixPlatform::mapDrive(char letter, std::string hostFolder, DriveType type) {
    int i = DriveIndex(letter);
    if (i < 0) return;
    while (hostFolder.size() > 1 && hostFolder.back() == '/') hostFolder.pop_back();
    drives_[i] = Drive{std::move(hostFolder), type};
}

void PosixPlatform::unmapDrive(char letter) {
    int i = DriveIndex(letter);
    if (i >= 0) drives_[i].reset();
}

std::optional<PosixPlatform::Drive> PosixPlatform::drive(char letter) const {
    int i = DriveIndex(letter);
    if (i < 0) return std::nullopt;
    return drives_[i];
}

std::optional<std::string> PosixPlatform::mediaFolder(const std::string& root) const {
    if (root.empty()) return std::nullopt;
    auto d = drive(root[0]);
    if (!d || !IsDirectory(d->folder)) return std::nullopt;
    return d->folder;
}

std::uint32_t PosixPlatform::logicalDrives() {
    std::uint32_t mask = 0;
    for (int i = 0; i < 26; ++i)
        if (drives_[i]) mask |= 1u << i;
    return mask;
}

DriveType PosixPlatform::driveType(const std::string& root) {
    if (root.size() < 2 || root[1] != ':') return DriveType::NoRootDir;
    auto d = drive(root[0]);
    return d ? d->type : DriveType::NoRootDir;
}

bool PosixPlatform::diskFreeSpaceEx(const std::string& root, std::uint64_t& totalBytes) {
    auto folder = mediaFolder(root);
    struct statvfs vfs {};
    if (!folder || ::statvfs(folder->c_str(), &vfs) != 0) return false;
    totalBytes = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    return true;
}

bool PosixPlatform::diskFreeSpace(const std::string& root, DiskGeometry& geometry) {
    auto folder = mediaFolder(root);
    struct statvfs vfs {};
    if (!folder || ::statvfs(folder->c_str(), &vfs) != 0) return false;
    auto clamp = [](unsigned long long v) { return static_cast<std::uint32_t>(std::min<unsigned long long>(v, 0xFFFFFFFFull)); };
    geometry.bytesPerSector = 512;
    geometry.sectorsPerCluster = std::max<std::uint32_t>(1, clamp(vfs.f_frsize / 512));
    geometry.totalClusters = clamp(vfs.f_blocks);
    geometry.freeClusters = clamp(vfs.f_bavail);
    return true;
}

}  // namespace kx
