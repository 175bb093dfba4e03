// Tandem-hoop pair counterparts in a list and the ticked halves that have none.
#include "transfer/pairing.h"

#include <gtest/gtest.h>

#include "support/design_builder.h"
#include "support/test_drives.h"

namespace kx {
namespace {

TEST(PairFinder, FindsTheFirstRowWithTheSwappedNameWhateverItsExtension) {
    const std::vector<std::string> texts{"ROSE1.kxd", "Rose2.kxd", "ROSE2.txt", "ROSE2.kxd", "TULIP2.kxd",
                                         "TULIP1", "Leaf.kxd", "A12.kxd", "", "3.kxd"};
    PairFinder finder(texts);
    struct Case { std::size_t row; int counterpart; };
    for (const Case& c : {Case{0, 2},     // case matters: Rose2 is no counterpart of ROSE1
                          Case{2, 0}, Case{3, 0}, Case{4, 5}, Case{5, 4},
                          Case{1, -1},    // no "Rose1"
                          Case{6, -1},    // ends in neither 1 nor 2
                          Case{7, -1}, Case{8, -1}, Case{9, -1}, Case{10, -1}})
        EXPECT_EQ(finder.counterpart(c.row), c.counterpart) << "row " << c.row;
}

TEST(UnpairedTickedHalves, OnlyTickedMarkedHalvesWithoutCounterpart) {
    test::TestDrives drives;
    std::string pc = drives.addFixed('C');
    auto marked = [&](const std::string& name, char mark) {
        test::DesignBuilder design;
        if (mark) design.pairMark(static_cast<std::uint8_t>(mark));
        drives.write(pc + name, design.bytes());
        return ListRow{name, pc + name, true};
    };
    std::vector<ListRow> rows{marked("LONE1.kxd", 'A'),  marked("PAIR1.kxd", 'B'), marked("PAIR2.kxd", 'B'),
                              marked("PLAIN1.kxd", 0), marked("ALONE2.kxd", 'C'), {"Short2.kxd", pc + "Short2.kxd", true}};
    drives.write(pc + "Short2.kxd", {1, 2, 3});
    rows[4].ticked = false;
    std::vector<std::string> texts;
    for (const ListRow& row : rows) texts.push_back(row.name);

    EXPECT_EQ(UnpairedTickedHalves(rows, PairFinder(texts)), (std::vector<std::size_t>{0}));
}

}  // namespace
}  // namespace kx
