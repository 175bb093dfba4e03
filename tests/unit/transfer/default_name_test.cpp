// Base-36 digits and the time-based default design name.
#include "transfer/default_name.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <regex>

#include "platform/posix/posix_platform.h"

namespace kx {
namespace {

// The POSIX backend with a clock that reads a set file time.
class FixedClock : public PosixPlatform {
public:
    explicit FixedClock(std::uint64_t fileTime) : fileTime_(fileTime) {}
    std::uint64_t localFileTime() override { return fileTime_; }

private:
    std::uint64_t fileTime_;
};

// 100 ns units from 1 January 1601 to 1 January of `year`, midnight.
std::uint64_t NewYearFileTime(int year) {
    std::uint64_t days = 0;
    for (int y = 1601; y < year; ++y) {
        bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        days += leap ? 366 : 365;
    }
    return days * 86400ull * 10000000ull;
}

std::uint64_t ParseBase36(const std::string& digits) { return std::strtoull(digits.c_str(), nullptr, 36); }

TEST(FormatBase36, Edges) {
    EXPECT_EQ(FormatBase36(0), "0");
    EXPECT_EQ(FormatBase36(9), "9");
    EXPECT_EQ(FormatBase36(10), "A");
    EXPECT_EQ(FormatBase36(35), "Z");
    EXPECT_EQ(FormatBase36(36), "10");
    EXPECT_EQ(FormatBase36(36 * 36 - 1), "ZZ");
    EXPECT_EQ(FormatBase36(36 * 36), "100");
    EXPECT_EQ(FormatBase36(std::numeric_limits<std::uint64_t>::max()), "3W5E11264SGSF");
}

TEST(FormatBase36, RoundTripsWithoutLeadingZeros) {
    for (std::uint64_t v : {1ull, 37ull, 1295ull, 1296ull, 123456789ull, 0x7FFFFFFFFFFFFFFFull,
                            0xFFFFFFFFFFFFFFFEull}) {
        std::string digits = FormatBase36(v);
        EXPECT_NE(digits.front(), '0') << v;
        EXPECT_EQ(digits.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << digits;
        EXPECT_EQ(ParseBase36(digits), v) << digits;
    }
}

TEST(MakeDefaultDesignName, NewYear2026) {
    FixedClock clock(NewYearFileTime(2026));
    ScopedPlatform scope(clock);
    EXPECT_EQ(MakeDefaultDesignName(), "10OKI7JYOLC0.kxd");
}

TEST(MakeDefaultDesignName, TwelveDigitsFrom2019) {
    for (int year : {2019, 2030, 2100}) {
        FixedClock clock(NewYearFileTime(year));
        ScopedPlatform scope(clock);
        std::string name = MakeDefaultDesignName();
        EXPECT_EQ(name.size(), 16u) << year;
        EXPECT_EQ(ParseBase36(name.substr(0, 12)), NewYearFileTime(year));
    }
}

TEST(MakeDefaultDesignName, RealClockGivesMillisecondFileTime) {
    std::string name = MakeDefaultDesignName();
    ASSERT_TRUE(std::regex_match(name, std::regex("[0-9A-Z]{12}\\.kxd"))) << name;
    std::uint64_t fileTime = ParseBase36(name.substr(0, 12));
    EXPECT_EQ(fileTime % 10000, 0u);
    EXPECT_GT(fileTime, NewYearFileTime(2024));
}

}  // namespace
}  // namespace kx
