// A POSIX backend over a test's drives that records every open and fails chosen ones.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/posix_platform.h"

namespace kx::test {

class FaultyPlatform : public PosixPlatform {
public:
    explicit FaultyPlatform(const PosixPlatform& drives) : PosixPlatform(drives) {}

    std::set<OpenMode> failOpen;    // opens in these modes give no file
    std::set<OpenMode> failWrites;  // files opened in these modes refuse every write
    std::vector<std::pair<std::string, OpenMode>> opens;

    std::unique_ptr<File> open(const std::string& path, OpenMode mode) override;
    int opensIn(OpenMode mode) const;
};

}  // namespace kx::test
