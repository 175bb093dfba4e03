// Design list order and the listing of a card folder.
#include "transfer/design_lists.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_drives.h"

namespace kx {
namespace {

TEST(CompareListEntries, DesignsComeFirstInEitherDirection) {
    ListSortKey design{"zzz.kxd", true};
    ListSortKey folder{"AAA", false};
    for (bool ascending : {true, false}) {
        EXPECT_EQ(CompareListEntries(design, folder, ascending), -1);
        EXPECT_EQ(CompareListEntries(folder, design, ascending), 1);
    }
}

TEST(CompareListEntries, TextsCompareAsUnsignedBytesAndTheDirectionNegates) {
    struct Case {
        const char* a;
        const char* b;
        int ascending;
    };
    const Case cases[] = {
        {"B.kxd", "a.kxd", -1},                                       // upper case before lower case
        {"rose", "rose.kxd", -1},                                     // a prefix first
        {"rose.kxd", "rose.kxd", 0}, {"\xE9t\xE9.kxd", "zz.kxd", 1},  // bytes above 0x7F sort after ASCII
        {"a1", "a10", -1},           {"a2", "a10", 1},                // no numeric order
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareListEntries({c.a, true}, {c.b, true}, true), c.ascending) << c.a << " " << c.b;
        EXPECT_EQ(CompareListEntries({c.a, true}, {c.b, true}, false), -c.ascending) << c.a;
        EXPECT_EQ(CompareListEntries({c.a, false}, {c.b, false}, true), c.ascending) << c.a;
    }
}

TEST(ListDesignFiles, ListsOnlyDesignFilesInByteOrderWithTheirPaths) {
    test::TestDrives drives;
    std::string card = drives.addCard('E');
    drives.makeDir(card + "EmbF5");
    for (const char* name : {"rose.kxd", "B.kxd", "Tulip.KXD", "a.kxd", "rose.kxt", "notes.txt"})
        drives.write(card + "EmbF5\\" + name, {1, 2, 3});

    auto rows = ListDesignFiles(card + "EmbF5\\");

    std::vector<std::string> names;
    for (const ListRow& row : rows) {
        names.push_back(row.name);
        EXPECT_EQ(row.path, card + "EmbF5\\" + row.name);
        EXPECT_FALSE(row.ticked);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"B.kxd", "Tulip.KXD", "a.kxd", "rose.kxd"}));
}

TEST(ListDesignFiles, EmptyOrMissingFolderGivesNoRows) {
    test::TestDrives drives;
    std::string card = drives.addCard('E');
    drives.makeDir(card + "EmbF6");
    EXPECT_TRUE(ListDesignFiles(card + "EmbF6\\").empty());
    EXPECT_TRUE(ListDesignFiles(card + "Missing\\").empty());
}

TEST(ListPcFolder, DesignsThenFoldersInByteOrderAndNothingElse) {
    test::TestDrives drives;
    std::string pc = drives.addFixed('C') + "Designs\\";
    drives.makeDir(pc);
    for (const char* name : {"a.kxd", "B.kxd", "ROSE.KXD", ".kxd", "ROSE.txt", "x.kxdd"}) drives.write(pc + name, {1});
    for (const char* name : {"Zeta", "Sub", "More.kxd"}) drives.makeDir(pc + name);

    std::vector<std::string> listed;
    for (const PcEntry& entry : ListPcFolder(pc, 260)) {
        listed.push_back(entry.name + (entry.kind == PcEntryKind::Design ? " design" : " folder"));
        EXPECT_EQ(entry.path, pc + entry.name);
    }
    // A folder named like a design is still a folder, listed with the folders.
    EXPECT_EQ(listed, (std::vector<std::string>{"B.kxd design", "ROSE.KXD design", "a.kxd design", "More.kxd folder",
                                                "Sub folder", "Zeta folder"}));
    auto shortOnly = ListPcFolder(pc, pc.size() + 3);
    ASSERT_EQ(shortOnly.size(), 1u);
    EXPECT_EQ(shortOnly[0].name, "Sub") << "only Sub fits in the path limit";
    EXPECT_TRUE(ListPcFolder(pc + "Missing\\", 260).empty());
}

}  // namespace
}  // namespace kx
