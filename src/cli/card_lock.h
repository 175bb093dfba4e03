// One command at a time per card: an exclusive lock on the card's root folder for as long as a
// command works on the card, so that two processes never change one card at once (the
// 100-design limit and the order file hold between them).
#pragma once

#include <optional>
#include <string>

namespace kx::cli {

class CardLock {
public:
    CardLock() = default;
    ~CardLock();
    CardLock(CardLock&& other) noexcept;
    CardLock& operator=(CardLock&& other) noexcept;
    CardLock(const CardLock&) = delete;
    CardLock& operator=(const CardLock&) = delete;

    // Waits a moment for another command to finish; nothing, after the tool's message, when
    // it does not. The lock is the folder's own (flock): nothing is written on the card, and
    // it ends with the process however the process ends.
    static std::optional<CardLock> Take(const std::string& hostFolder);

private:
    explicit CardLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace kx::cli
