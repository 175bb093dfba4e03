// Drive listing, media test and volume flush on scripted drive answers.
#include "card/card_drives.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

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
    bool diskFreeSpaceEx(const std::string& root, std::uint64_t& total) override {
        return answer(exQueries, root, [&](const Drive& d) { total = d.totalBytes; });
    }
    // 4 KiB clusters: the 32-bit product of a 4 GiB drive's geometry wraps to zero.
    bool diskFreeSpace(const std::string& root, DiskGeometry& g) override {
        return answer(classicQueries, root, [&](const Drive& d) { g = {8, 512, d.freeClusters, static_cast<std::uint32_t>(d.totalBytes / 4096)}; });
    }
    bool answer(Roots& asked, const std::string& root, const std::function<void(const Drive&)>& set) {
        asked.push_back(root);
        if (drives.at(root[0]).queryOk) set(drives.at(root[0]));
        return drives.at(root[0]).queryOk;
    }
};

TEST(CardDrivesTest, ListingWithTheExQueryAndItsFallBackMediaTestAndFlush) {
    const std::map<char, Drive> mixed = {
        {'A', {kRemovable, true, 1 << 20}},     // never looked at
        {'C', {kFixed, true, 1ull << 40}},      // a hard disk with a size
        {'D', {kFixed, true, 0, 50}},           // free clusters but no total: reads as zero
        {'E', {kRemovable, false, 1 << 20}},    // no media: listed and selected
        {'F', {kRemovable, true, 1 << 20}},     {'G', {DRIVE_TYPE_CDROM, true, 0}},
        {'H', {DRIVE_TYPE_REMOTE, true, 0}},    {'I', {DRIVE_TYPE_RAMDISK, true, 0}},
        {'J', {kRemovable, true, 1ull << 32}},  // exactly 4 GiB
        {'Z', {kFixed, false, 0}}};             // a failed query reads as zero
    test::TestDrives base;
    for (bool ex : {true, false}) {
        SCOPED_TRACE(ex ? "ex" : "fall-back");
        ScriptedDrives p(base.backend(), mixed, ex);
        const CardDriveList list = ListCardDrives();
        EXPECT_EQ(std::pair(list.joined(), list.firstRemovable), std::pair(std::string("D:\\,E:\\,F:\\,J:\\,Z:\\"), 1));
        EXPECT_EQ(ex ? p.exQueries : p.classicQueries, (Roots{"C:\\", "D:\\", "E:\\", "F:\\", "J:\\", "Z:\\"}));
        EXPECT_TRUE((ex ? p.classicQueries : p.exQueries).empty());
        p.drives = {{'C', {kFixed, true, 1 << 30}}, {'D', {kFixed, false, 1 << 30}}};
        const CardDriveList fixed = ListCardDrives();
        EXPECT_EQ(std::pair(fixed.roots, fixed.firstRemovable), std::pair(Roots{"D:\\"}, -1));
    }
    // The media test reads the total capacity, not the free space, and never from the ex query.
    ScriptedDrives p(base.backend(), mixed, true);
    EXPECT_FALSE(DriveHasMedia("D:\\") || DriveHasMedia("E:\\"));
    EXPECT_TRUE(DriveHasMedia("F:\\") && DriveHasMedia("J:\\") && p.exQueries.empty());
    // A flush opens the letter's volume through the backend, where F: and H: are folders.
    for (char card : {'F', 'H'}) base.addCard(card);
    for (char letter : {'F', 'Q'}) FlushVolume(letter);
    EXPECT_EQ(p.flushedVolumes(), "F");
    EXPECT_EQ(p.operationCount(), 2) << "one open of each volume, nothing else";
}

// The no-card question passes its answer on; a card check needs media and says so.
TEST(CardDrivesTest, TheNoCardQuestionAndTheCardCheck) {
    test::ScriptedMessages messages;
    test::TestDrives drives;
    drives.addCard('E');
    drives.addNoMedia('F');
    messages.answer(id::CANCEL);
    EXPECT_EQ(AskForCard(3), id::CANCEL);
    EXPECT_TRUE(CheckCardReady(0, "E:\\") && !CheckCardReady(0, ""));  // no drive chosen: silent
    EXPECT_FALSE(CheckCardReady(5, "F:\\"));
    const std::string inserted = "Is the ATA PC Card correctly inserted into your PC or Adapter's card slot?";
    const auto& m = messages.shown();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(std::tuple(m[0].text, m[0].caption, m[0].flags, m[0].owner),
              std::tuple(inserted + "\nIs the Card adapter connected to your PC correctly?", "Confirm", mb::OKCANCEL | mb::ICONQUESTION, 3));
    EXPECT_EQ(std::tuple(m[1].text, m[1].caption, m[1].flags, m[1].owner),
              std::tuple("Failed to save a design.\n" + inserted, "SnapPort", mb::OK | mb::ICONHAND, 5));
}

}  // namespace
}  // namespace kx
