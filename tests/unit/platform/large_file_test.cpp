// Files past 2 and 4 GiB on the PC, the same in a 32-bit and a 64-bit build: offsets and sizes
// travel in 64 bits. The files are sparse, so they take no room on the disk.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "support/test_drives.h"

namespace kx {
namespace {

TEST(LargeFiles, SizeAndSeekPastTwoAndFourGiB) {
    test::TestDrives drives;
    drives.addFixed('C');
    Platform& p = platform();
    const std::vector<std::uint8_t> tail{'e', 'n', 'd'};
    for (std::uint64_t offset : {(3ull << 30), (5ull << 30)}) {
        {
            auto f = p.open("C:\\big.bin", OpenMode::Replace);
            ASSERT_NE(f, nullptr);
            ASSERT_TRUE(f->seek(static_cast<std::int64_t>(offset), SeekFrom::Begin)) << offset;
            ASSERT_TRUE(f->writeExactly(tail));
        }
        auto f = p.open("C:\\big.bin", OpenMode::Read);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->size(), offset + tail.size());
        ASSERT_TRUE(f->seek(-3, SeekFrom::End));
        std::vector<std::uint8_t> read(3);
        EXPECT_TRUE(f->readExactly(read));
        EXPECT_EQ(read, tail) << offset;
    }
    // Past the 32 bits the system reads a size with, a file is no design: refused, never cut short.
    EXPECT_EQ(ReadWholeFile("C:\\big.bin"), std::nullopt);
}

}  // namespace
}  // namespace kx
