// Drive listing, media test and volume flush, on mapped folders and on scripted drive answers.
#include "card/card_drives.h"

#include <gtest/gtest.h>

#include <map>

#include "support/fault_platform.h"
#include "support/test_drives.h"

namespace kx {
namespace {

using Roots = std::vector<std::string>;

// Drive answers from a table, over the real backend for everything else.
class ScriptedDrives : public test::FaultPlatform {
public:
    struct Drive {
        int type = DRIVE_TYPE_REMOVABLE;
        bool queryOk = true;
        std::uint64_t totalBytes = 0;
        DiskGeometry geometry{};
    };

    explicit ScriptedDrives(Platform& inner) : FaultPlatform(inner) {}

    std::map<char, Drive> drives;
    bool exAvailable = true;
    int exLookups = 0;
    std::vector<std::string> exQueries, classicQueries;

    std::uint32_t logicalDrives() override {
        std::uint32_t mask = 0;
        for (const auto& [letter, d] : drives) mask |= 1u << (letter - 'A');
        return mask;
    }
    int driveType(const std::string& root) override {
        auto it = drives.find(root[0]);
        return it == drives.end() ? DRIVE_TYPE_NO_ROOT_DIR : it->second.type;
    }
    bool hasDiskFreeSpaceEx() override {
        ++exLookups;
        return exAvailable;
    }
    // A failed query leaves its outputs alone, as the Win32 calls do.
    bool diskFreeSpaceEx(const std::string& root, std::uint64_t& totalBytes) override {
        exQueries.push_back(root);
        const Drive& d = drives.at(root[0]);
        if (d.queryOk) totalBytes = d.totalBytes;
        return d.queryOk;
    }
    bool diskFreeSpace(const std::string& root, DiskGeometry& geometry) override {
        classicQueries.push_back(root);
        const Drive& d = drives.at(root[0]);
        if (d.queryOk) geometry = d.geometry;
        return d.queryOk;
    }
};

DiskGeometry Geometry(std::uint32_t totalClusters, std::uint32_t freeClusters = 0) {
    return DiskGeometry{8, 512, freeClusters, totalClusters};
}

TEST(ListCardDrivesTest, MappedDrivesFollowTheListingRules) {
    test::TestDrives drives;
    drives.addCard('A');                            // never looked at
    drives.addFixed('C');                           // a hard disk with a size
    drives.addNoMedia('D', DRIVE_TYPE_FIXED);       // a fixed drive reading zero
    drives.addCard('E');
    drives.addNoMedia('F');                         // removable without media
    drives.addNoMedia('G', DRIVE_TYPE_CDROM);
    drives.backend().mapDrive('H', drives.root().string(), DRIVE_TYPE_REMOTE);
    drives.backend().mapDrive('I', drives.root().string(), DRIVE_TYPE_RAMDISK);
    drives.addCard('K');
    const CardDriveList list = ListCardDrives();
    EXPECT_EQ(list.roots, (Roots{"D:\\", "E:\\", "F:\\", "K:\\"}));
    EXPECT_EQ(list.firstRemovable, 1);
    EXPECT_EQ(list.joined(), "D:\\,E:\\,F:\\,K:\\");
}

TEST(ListCardDrivesTest, RemovableDriveWithoutMediaIsListedAndSelected) {
    test::TestDrives drives;
    drives.addNoMedia('E');
    drives.addCard('F');
    const CardDriveList list = ListCardDrives();
    EXPECT_EQ(list.roots, (Roots{"E:\\", "F:\\"}));
    EXPECT_EQ(list.firstRemovable, 0);
    EXPECT_EQ(list.joined(), "E:\\,F:\\");
}

TEST(ListCardDrivesTest, NoRemovableDriveGivesMinusOne) {
    test::TestDrives drives;
    drives.addFixed('C');
    CardDriveList list = ListCardDrives();
    EXPECT_TRUE(list.roots.empty());
    EXPECT_EQ(list.joined(), "");
    EXPECT_EQ(list.firstRemovable, -1);

    drives.addNoMedia('D', DRIVE_TYPE_FIXED);
    list = ListCardDrives();
    EXPECT_EQ(list.joined(), "D:\\");
    EXPECT_EQ(list.firstRemovable, -1);
}

TEST(ListCardDrivesTest, SizeQueryIsLookedUpForEveryCandidateDrive) {
    test::TestDrives base;
    ScriptedDrives p(base.backend());
    p.drives = {{'C', {DRIVE_TYPE_FIXED, true, 1ull << 40}},
                {'E', {DRIVE_TYPE_REMOVABLE, true, 1 << 20}},
                {'G', {DRIVE_TYPE_CDROM, true, 0}},
                {'Z', {DRIVE_TYPE_FIXED, true, 0}}};
    const CardDriveList list = ListCardDrives();
    EXPECT_EQ(list.roots, (Roots{"E:\\", "Z:\\"}));
    EXPECT_EQ(list.firstRemovable, 0);
    EXPECT_EQ(p.exLookups, 3);
    EXPECT_EQ(p.exQueries, (Roots{"C:\\", "E:\\", "Z:\\"}));
    EXPECT_TRUE(p.classicQueries.empty());
}

TEST(ListCardDrivesTest, FallsBackToClusterGeometryWithoutExQuery) {
    test::TestDrives base;
    ScriptedDrives p(base.backend());
    p.exAvailable = false;
    p.drives = {{'C', {DRIVE_TYPE_FIXED, true, 0, Geometry(1000)}},
                {'D', {DRIVE_TYPE_FIXED, true, 0, Geometry(0, 50)}},
                {'E', {DRIVE_TYPE_REMOVABLE, true, 0, Geometry(10)}}};
    const CardDriveList list = ListCardDrives();
    EXPECT_EQ(list.roots, (Roots{"D:\\", "E:\\"}));
    EXPECT_EQ(list.firstRemovable, 1);
    EXPECT_TRUE(p.exQueries.empty());
    EXPECT_EQ(p.classicQueries, (Roots{"C:\\", "D:\\", "E:\\"}));
}

TEST(ListCardDrivesTest, FailedQueryReadsAsZeroEvenAfterADriveWithSize) {
    test::TestDrives base;
    ScriptedDrives p(base.backend());
    for (bool ex : {true, false}) {
        p.exAvailable = ex;
        p.drives = {{'C', {DRIVE_TYPE_FIXED, true, 1 << 30, Geometry(4096)}},
                    {'D', {DRIVE_TYPE_FIXED, false, 0, {}}}};
        const CardDriveList list = ListCardDrives();
        EXPECT_EQ(list.roots, (Roots{"D:\\"})) << "ex " << ex;
    }
}

TEST(DriveHasMediaTest, UsesTotalCapacityNotFreeSpace) {
    test::TestDrives base;
    ScriptedDrives p(base.backend());
    p.drives = {{'E', {DRIVE_TYPE_REMOVABLE, true, 0, Geometry(100, 0)}},        // a full card
                {'F', {DRIVE_TYPE_REMOVABLE, true, 1 << 20, Geometry(0, 5)}},   // no total
                {'G', {DRIVE_TYPE_REMOVABLE, false, 0, {}}},                    // no media
                {'H', {DRIVE_TYPE_REMOVABLE, true, 0, {1, 512, 0, 1u << 23}}}}; // exactly 4 GiB
    EXPECT_TRUE(DriveHasMedia("E:\\"));
    EXPECT_FALSE(DriveHasMedia("F:\\"));
    EXPECT_FALSE(DriveHasMedia("G:\\"));
    EXPECT_TRUE(DriveHasMedia("H:\\"));
    EXPECT_TRUE(p.exQueries.empty());
}

TEST(DriveHasMediaTest, MappedCardHasMediaAndMissingFolderHasNone) {
    test::TestDrives drives;
    drives.addCard('E');
    drives.addNoMedia('F');
    EXPECT_TRUE(DriveHasMedia("E:\\"));
    EXPECT_FALSE(DriveHasMedia("F:\\"));
    EXPECT_FALSE(DriveHasMedia("Q:\\"));
}

TEST(FlushVolumeTest, FlushesTheVolumeOfTheLetterOnly) {
    test::TestDrives drives;
    drives.addCard('E');
    drives.addCard('G');
    test::FaultPlatform p(drives.backend());
    FlushVolume('E');
    EXPECT_EQ(p.flushedVolumes(), "E");
    EXPECT_EQ(p.operationCount(), 1) << "one open of the volume, nothing else";
}

TEST(FlushVolumeTest, VolumeThatCannotBeOpenedIsLeftAlone) {
    test::TestDrives drives;
    drives.addNoMedia('F');
    test::FaultPlatform p(drives.backend());
    FlushVolume('F');
    FlushVolume('Q');
    EXPECT_EQ(p.flushedVolumes(), "");
    EXPECT_EQ(p.operationCount(), 2);
}

}  // namespace
}  // namespace kx
