// The order file: its bytes, validation, reading, creation and folder-name updates on a real card folder.
#include "card/order_file.h"

#include <gtest/gtest.h>

#include "order_image.h"
#include "support/fault_platform.h"
#include "support/scripted_messages.h"
#include "support/test_drives.h"

namespace kx {
namespace {

using test::BlankOrderImage;
using test::FolderEntryByte;
using Bytes = std::vector<std::uint8_t>;

const std::string kPath = "E:\\Emb_OrdF.dat";

Bytes Of(std::span<const std::uint8_t> s) { return Bytes(s.begin(), s.end()); }

// A valid file whose reserved bytes, order names and flags all differ from a new file's.
Bytes CustomImage() {
    Bytes image = BlankOrderImage();
    for (std::size_t i = 8; i < 160; ++i) image[i] = static_cast<std::uint8_t>(0xA0 + i % 50);
    image[FolderEntryByte(2, 8)] = 0x7E;
    image[FolderEntryByte(5, 11)] = 1;
    return image;
}

class OrderFileTest : public ::testing::Test {
protected:
    test::TestDrives drives;
    test::ScriptedMessages messages;
    std::string root = drives.addCard('E');
    OrderFile orderFile;
};

TEST(OrderFileImage, BlankImageHasSignatureDefaultNamesAndZeroFlags) {
    const auto image = OrderFile::DefaultImage();
    EXPECT_EQ(Bytes(image.begin(), image.end()), BlankOrderImage());
    OrderFile f;
    f.assign(image);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(f.displayName(i), "EmbF" + std::to_string(i + 5));
        EXPECT_FALSE(f.hasDesigns(i));
    }
}

TEST(OrderFileImage, DisplayNameTakesAtMostEightBytesAndStopsAtZero) {
    OrderFile f;
    f.assign(OrderFile::DefaultImage());
    f.setDisplayName(3, "ABCDEFGHIJ");
    EXPECT_EQ(f.displayName(3), "ABCDEFGH");
    EXPECT_EQ(f.bytes()[FolderEntryByte(3, 8)], 0) << "the reserved byte after a full name is untouched";
    f.setDisplayName(3, "AB");
    EXPECT_EQ(f.displayName(3), "AB");
    for (int k = 2; k < 8; ++k) EXPECT_EQ(f.bytes()[FolderEntryByte(3, k)], 0) << k;
    EXPECT_EQ(f.displayName(2), "EmbF7");
    EXPECT_EQ(f.displayName(4), "EmbF9");
}

TEST(OrderFileImage, NoneAndOutOfRangeReadEmptyAndWriteNothing) {
    OrderFile f;
    EXPECT_FALSE(f.has());
    EXPECT_TRUE(f.bytes().empty());
    EXPECT_EQ(f.displayName(0), "");
    f.setDisplayName(0, "X");
    f.setHasDesigns(0, true);
    EXPECT_FALSE(f.has());
    f.assign(OrderFile::DefaultImage());
    for (int bad : {-1, 12, 1000}) {
        f.setDisplayName(bad, "X");
        f.setHasDesigns(bad, true);
        EXPECT_EQ(f.displayName(bad), "");
        EXPECT_FALSE(f.hasDesigns(bad));
    }
    EXPECT_EQ(Of(f.bytes()), BlankOrderImage());
}

TEST(ValidateOrderFileTest, OnlySizeAndTheFirstEightBytesCount) {
    Bytes image = BlankOrderImage();
    EXPECT_TRUE(ValidateOrderFile(image));
    EXPECT_TRUE(ValidateOrderFile(CustomImage()));
    Bytes rest(304, 0xFF);
    std::copy(image.begin(), image.begin() + 8, rest.begin());
    EXPECT_TRUE(ValidateOrderFile(rest));
    for (std::size_t i = 0; i < 8; ++i) {
        Bytes bad = image;
        bad[i] ^= 0x20;
        EXPECT_FALSE(ValidateOrderFile(bad)) << "byte " << i;
    }
    for (std::size_t size : {0u, 8u, 303u, 305u}) {
        Bytes sized = image;
        sized.resize(size);
        EXPECT_FALSE(ValidateOrderFile(sized)) << size;
    }
}

TEST_F(OrderFileTest, ReadMissingFileIsNoUsableFile) {
    orderFile.assign(OrderFile::DefaultImage());
    EXPECT_EQ(ReadOrderFile(0, root, orderFile), 0);
    EXPECT_FALSE(orderFile.has());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(OrderFileTest, ReadValidFileKeepsEveryByte) {
    drives.write(kPath, CustomImage());
    EXPECT_EQ(ReadOrderFile(0, root, orderFile), 1);
    EXPECT_EQ(Of(orderFile.bytes()), CustomImage());
    EXPECT_TRUE(orderFile.hasDesigns(5));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(OrderFileTest, ReadDeletesFileOfWrongSize) {
    for (std::size_t size : {0u, 303u, 305u, 4096u}) {
        Bytes image = BlankOrderImage();
        image.resize(size, 0);
        drives.write(kPath, image);
        EXPECT_EQ(ReadOrderFile(0, root, orderFile), 0) << size;
        EXPECT_FALSE(orderFile.has());
        EXPECT_FALSE(drives.exists(kPath)) << size;
    }
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(OrderFileTest, ReadLeavesInvalidFileInPlace) {
    Bytes image = BlankOrderImage();
    image[7] = '2';
    drives.write(kPath, image);
    EXPECT_EQ(ReadOrderFile(0, root, orderFile), 0);
    EXPECT_FALSE(orderFile.has());
    EXPECT_EQ(drives.read(kPath), image);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(OrderFileTest, ReadFailureIsReportedAndLeavesNone) {
    drives.write(kPath, BlankOrderImage());
    test::FaultPlatform faults(drives.backend());
    faults.failOperation(2);  // the open succeeds, the read fails
    EXPECT_EQ(ReadOrderFile(42, root, orderFile), -2);
    EXPECT_TRUE(faults.failed());
    EXPECT_FALSE(orderFile.has());
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "Failed to read a temporary file.");
    EXPECT_EQ(messages.shown()[0].caption, "Upload");
    EXPECT_EQ(messages.shown()[0].flags, mb::ICONHAND);
    EXPECT_EQ(messages.shown()[0].owner, 42u);
    EXPECT_EQ(drives.read(kPath), BlankOrderImage());
}

TEST_F(OrderFileTest, CreateOverwritesTheStartOfAnExistingFile) {
    // An existing file is opened without truncation: only its first 304 bytes are replaced.
    Bytes old(310, 0x55);
    drives.write(kPath, old);
    EXPECT_EQ(CreateOrderFile(root, orderFile), 1);
    Bytes expected = BlankOrderImage();
    expected.resize(310, 0x55);
    EXPECT_EQ(drives.read(kPath), expected);
}

TEST_F(OrderFileTest, CreateOnWriteProtectedCardFailsSilentlyWithNone) {
    test::FaultPlatform faults(drives.backend());
    faults.setReadOnly('E');
    orderFile.assign(OrderFile::DefaultImage());
    EXPECT_EQ(CreateOrderFile(root, orderFile), 0);
    EXPECT_FALSE(orderFile.has());
    EXPECT_FALSE(drives.exists(kPath));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(OrderFileTest, CreateWithFailedWriteKeepsDefaultImage) {
    test::FaultPlatform faults(drives.backend());
    faults.setWriteBudget('E', 100);
    EXPECT_EQ(CreateOrderFile(root, orderFile), 0);
    EXPECT_EQ(Of(orderFile.bytes()), BlankOrderImage());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(OrderFileTest, RenameWritesEightLettersWithoutTerminatorThenShorterNamePadded) {
    drives.write(kPath, BlankOrderImage());
    ASSERT_EQ(ReadOrderFile(0, root, orderFile), 1);
    ASSERT_EQ(UpdateFolderName(0, root, 3, "ABCDEFGH", orderFile), 1);
    Bytes onCard = drives.read(kPath);
    ASSERT_EQ(onCard.size(), 304u);
    EXPECT_EQ(std::string(onCard.begin() + 196, onCard.begin() + 204), "ABCDEFGH");
    EXPECT_EQ(onCard[204], 0);
    EXPECT_EQ(orderFile.displayName(3), "ABCDEFGH");

    ASSERT_EQ(UpdateFolderName(0, root, 3, "AB", orderFile), 1);
    onCard = drives.read(kPath);
    Bytes expected = BlankOrderImage();
    std::fill(expected.begin() + 196, expected.begin() + 204, 0);
    expected[196] = 'A';
    expected[197] = 'B';
    EXPECT_EQ(onCard, expected);
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(OrderFileTest, RenameKeepsCustomBytesAndWritesInMemoryFlags) {
    drives.write(kPath, CustomImage());
    ASSERT_EQ(ReadOrderFile(0, root, orderFile), 1);
    orderFile.setHasDesigns(0, true);
    orderFile.setHasDesigns(5, false);
    ASSERT_EQ(UpdateFolderName(0, root, 0, "Roses", orderFile), 1);
    Bytes expected = CustomImage();
    std::fill(expected.begin() + 160, expected.begin() + 168, 0);
    const std::string roses = "Roses";
    std::copy(roses.begin(), roses.end(), expected.begin() + 160);
    expected[FolderEntryByte(0, 11)] = 1;
    expected[FolderEntryByte(5, 11)] = 0;
    EXPECT_EQ(drives.read(kPath), expected);
}

TEST_F(OrderFileTest, RenameWithoutFileOrImageOrValidIndexWritesNothing) {
    orderFile.assign(OrderFile::DefaultImage());
    EXPECT_EQ(UpdateFolderName(0, root, 1, "X", orderFile), 0);
    EXPECT_FALSE(drives.exists(kPath));

    drives.write(kPath, CustomImage());
    OrderFile none;
    EXPECT_EQ(UpdateFolderName(0, root, 1, "X", none), 0);
    EXPECT_EQ(UpdateFolderName(0, root, 12, "X", orderFile), 0);
    EXPECT_EQ(UpdateFolderName(0, root, -1, "X", orderFile), 0);
    EXPECT_EQ(drives.read(kPath), CustomImage());
    EXPECT_EQ(Of(orderFile.bytes()), BlankOrderImage());
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(OrderFileTest, RenameDeletesFileOfWrongSize) {
    Bytes image = BlankOrderImage();
    image.push_back(0);
    drives.write(kPath, image);
    orderFile.assign(OrderFile::DefaultImage());
    EXPECT_EQ(UpdateFolderName(0, root, 1, "X", orderFile), 0);
    EXPECT_FALSE(drives.exists(kPath));
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(OrderFileTest, RenameWriteFailureIsReportedAndNameStaysInMemory) {
    drives.write(kPath, BlankOrderImage());
    orderFile.assign(OrderFile::DefaultImage());
    test::FaultPlatform faults(drives.backend());
    faults.setWriteBudget('E', 10);
    EXPECT_EQ(UpdateFolderName(7, root, 2, "Tulips", orderFile), 0);
    EXPECT_EQ(orderFile.displayName(2), "Tulips");
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "Failed to read a temporary file.");
    EXPECT_EQ(messages.shown()[0].caption, "Upload");
    EXPECT_EQ(messages.shown()[0].flags, mb::ICONHAND);
    EXPECT_EQ(messages.shown()[0].owner, 7u);
}

TEST_F(OrderFileTest, RenameOnWriteProtectedCardFailsSilently) {
    drives.write(kPath, BlankOrderImage());
    orderFile.assign(OrderFile::DefaultImage());
    test::FaultPlatform faults(drives.backend());
    faults.setReadOnly('E');
    EXPECT_EQ(UpdateFolderName(0, root, 2, "Tulips", orderFile), 0);
    EXPECT_EQ(drives.read(kPath), BlankOrderImage());
    EXPECT_TRUE(messages.shown().empty());
}

}  // namespace
}  // namespace kx
