// The card lock over flock(2).
#include "cli/card_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <thread>
#include <utility>

namespace kx::cli {

namespace {
constexpr auto kPatience = std::chrono::seconds(3);
constexpr auto kPoll = std::chrono::milliseconds(50);
}  // namespace

CardLock::~CardLock() {
    if (fd_ >= 0) ::close(fd_);
}

CardLock::CardLock(CardLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

CardLock& CardLock::operator=(CardLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

std::optional<CardLock> CardLock::Take(const std::string& hostFolder) {
    CardLock lock(::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (lock.fd_ < 0) {
        std::cerr << "kxcard: " << hostFolder << ": " << std::strerror(errno) << std::endl;
        return std::nullopt;
    }
    const auto giveUp = std::chrono::steady_clock::now() + kPatience;
    while (::flock(lock.fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            std::cerr << "kxcard: " << hostFolder << ": cannot lock the card: " << std::strerror(errno) << std::endl;
            return std::nullopt;
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            std::cerr << "kxcard: " << hostFolder
                      << ": the card is in use by another kxcard command; try again when it has ended"
                      << std::endl;
            return std::nullopt;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return lock;
}

}  // namespace kx::cli
