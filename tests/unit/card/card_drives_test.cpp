// Drive listing, media test and volume flush on scripted drive answers.
#include "card/card_drives.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "support/fault_platform.h"
#include "support/scripted_messages.h"
#include "support/test_drives.h"

namespace kx {
namespace {

using Roots = std::vector<std::string>;
constexpr int kRemovable = DRIVE_TYPE_REMOVABLE, kFixed = DRIVE_TYPE_FIXED;

struct Drive { int type; bool queryOk; std::uint64_t totalBytes; std::uint32_t freeClusters = 0; };

// Drive answers from a table; a failed query leaves its outputs alone, as the Win32 calls do.
class ScriptedDrives : public test::FaultPlatform {
public:
    ScriptedDrives(Platform& inner, std::map<char, Drive> answers, bool exAvailable)
        : FaultPlatform(inner), drives(std::move(answers)), ex(exAvailable) {}
    std::map<char, Drive> drives;
    bool ex;
    Roots exQueries, classicQueries;

    std::uint32_t logicalDrives() override {
        std::uint32_t mask = 0;
        for (const auto& entry : drives) mask |= 1u << (entry.first - 'A');
        return mask;
    }
    int driveType(const std::string& root) override { return drives.at(root[0]).type; }
    bool hasDiskFreeSpaceEx() override { return ex; }
    bool diskFreeSpaceEx(const std::string& root, std::uint64_t& totalBytes) override {
        exQueries.push_back(root);
        const Drive& d = drives.at(root[0]);
        if (d.queryOk) totalBytes = d.totalBytes;
        return d.queryOk;
    }
    // 4 KiB clusters: the 32-bit product of a 4 GiB drive's geometry wraps to zero.
    bool diskFreeSpace(const std::string& root, DiskGeometry& geometry) override {
        classicQueries.push_back(root);
        const Drive& d = drives.at(root[0]);
        if (d.queryOk) geometry = {8, 512, d.freeClusters, static_cast<std::uint32_t>(d.totalBytes / 4096)};
        return d.queryOk;
    }
};

TEST(CardDrivesTest, ListingWithTheExQueryAndItsFallBackMediaTestAndFlush) {
    const std::map<char, Drive> mixed = {
        {'A', {kRemovable, true, 1 << 20}},        // never looked at
        {'C', {kFixed, true, 1ull << 40}},         // a hard disk with a size
        {'D', {kFixed, true, 0, 50}},              // free clusters but no total: reads as zero
        {'E', {kRemovable, false, 1 << 20}},       // no media: listed and selected
        {'F', {kRemovable, true, 1 << 20}},        {'G', {DRIVE_TYPE_CDROM, true, 0}},
        {'H', {DRIVE_TYPE_REMOTE, true, 0}},       {'I', {DRIVE_TYPE_RAMDISK, true, 0}},
        {'J', {kRemovable, true, 1ull << 32}},     // exactly 4 GiB
        {'Z', {kFixed, false, 0}}};                // a failed query reads as zero
    const std::map<char, Drive> noRemovable = {{'C', {kFixed, true, 1 << 30}}, {'D', {kFixed, false, 1 << 30}}};
    struct Row { std::map<char, Drive> drives; Roots roots; int first; Roots queried; };
    const Row rows[] = {
        {mixed, {"D:\\", "E:\\", "F:\\", "J:\\", "Z:\\"}, 1, {"C:\\", "D:\\", "E:\\", "F:\\", "J:\\", "Z:\\"}},
        {noRemovable, {"D:\\"}, -1, {"C:\\", "D:\\"}}};
    test::TestDrives base;
    for (const Row& row : rows) {
        for (bool ex : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "row " << (&row - rows) << (ex ? " ex" : " fall-back"));
            ScriptedDrives p(base.backend(), row.drives, ex);
            const CardDriveList list = ListCardDrives();
            EXPECT_EQ(list.roots, row.roots);
            EXPECT_EQ(list.firstRemovable, row.first);
            EXPECT_EQ(list.joined(), row.first == 1 ? "D:\\,E:\\,F:\\,J:\\,Z:\\" : "D:\\");
            EXPECT_EQ(ex ? p.exQueries : p.classicQueries, row.queried);
            EXPECT_TRUE((ex ? p.classicQueries : p.exQueries).empty());
        }
    }
    // The media test reads the total capacity, not the free space, and never from the ex query.
    ScriptedDrives p(base.backend(), mixed, true);
    EXPECT_FALSE(DriveHasMedia("D:\\") || DriveHasMedia("E:\\"));
    EXPECT_TRUE(DriveHasMedia("F:\\") && DriveHasMedia("J:\\"));
    EXPECT_TRUE(p.exQueries.empty());

    // A flush opens the letter's volume through the backend, where F: and H: are folders.
    for (char card : {'F', 'H'}) base.addCard(card);
    for (char letter : {'F', 'Q'}) FlushVolume(letter);
    EXPECT_EQ(p.flushedVolumes(), "F");
    EXPECT_EQ(p.operationCount(), 2) << "one open of each volume, nothing else";
}

TEST(CardDrivesTest, TheNoCardQuestionPassesItsAnswerAndTheCardCheckNeedsMedia) {
    test::ScriptedMessages messages;
    using Shown = std::tuple<std::string, std::string, unsigned, WindowRef>;
    auto last = [&] {
        const test::ShownMessage& m = messages.shown().back();
        return Shown{m.text, m.caption, m.flags, m.owner};
    };
    const std::string inserted = "Is the ATA PC Card correctly inserted into your PC or Adapter's card slot?";
    for (int answer : {id::OK, id::CANCEL}) {
        messages.answer(answer);
        EXPECT_EQ(AskForCard(3), answer);
        EXPECT_EQ(last(), (Shown{inserted + "\nIs the Card adapter connected to your PC correctly?", "Confirm",
                                 mb::OKCANCEL | mb::ICONQUESTION, 3}));
    }

    messages.clear();
    test::TestDrives drives;
    drives.addCard('E');
    drives.addNoMedia('F');
    EXPECT_TRUE(CheckCardReady(0, "E:\\"));
    EXPECT_FALSE(CheckCardReady(0, ""));
    EXPECT_TRUE(messages.shown().empty()) << "no drive chosen: silent";
    EXPECT_FALSE(CheckCardReady(5, "F:\\"));
    EXPECT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(last(), (Shown{"Failed to save a design.\n" + inserted, "SnapPort", mb::OK | mb::ICONHAND, 5}));
}

}  // namespace
}  // namespace kx
