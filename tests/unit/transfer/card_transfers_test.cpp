// The card commands on real card and PC folders: write, read, erase and the direct writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "card/order_file.h"
#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "render/thumbnail.h"
#include "support/design_builder.h"
#include "support/fault_platform.h"
#include "support/scripted_messages.h"
#include "support/test_drives.h"
#include "transfer/card_transfers.h"

namespace kx {
namespace {

namespace fs = std::filesystem;
using test::DesignBuilder;
using test::FaultPlatform;
using test::ScriptedMessages;
using test::TestDrives;
using Bytes = std::vector<std::uint8_t>;

const char* const kFolderFull = "100 designs have been registered.\nNo more design can be registered.";

// A small design for hoop C: starts with a stitch (so it gains a leading move) and has a colour
// change with a displacement (so it is split).
Bytes SmallDesign(int variant = 0) {
    return DesignBuilder()
        .colors({3, 7})
        .stitches(12 + variant, 5, 3)
        .colorChange(2, 1)
        .stitches(8, -4, 2)
        .move(10, -10)
        .stitches(6, 3, 3)
        .end()
        .bytes();
}

// What the card holds for a PC design: converted, hoop fields normalised, pair mark as given.
Bytes CardForm(const Bytes& pc, bool keepPairMark = true) {
    CardConversion c = ConvertDesignForCard(pc);
    EXPECT_EQ(c.outcome, CardConversion::Outcome::Converted);
    auto header = DesignHeader::parse(c.bytes);
    auto normal = NormalizedHoopFields(*header);
    EXPECT_TRUE(normal.has_value());
    if (!keepPairMark) normal->clearPairMark();
    normal->storeInto(c.bytes);
    return c.bytes;
}

Bytes ThumbnailOf(const Bytes& design) {
    auto record = MakeThumbnailRecord(design);
    EXPECT_TRUE(record.has_value());
    return record.value_or(Bytes{});
}

class CardTransfers : public ::testing::Test {
protected:
    void SetUp() override {
        drives.addCard('E');
        drives.addFixed('C');
        drives.makeDir("E:\\EmbF5");
        drives.makeDir("C:\\designs");
    }

    ListRow pcDesign(const std::string& name, const Bytes& bytes, bool ticked = true) {
        drives.write("C:\\designs\\" + name, bytes);
        return {name, "C:\\designs\\" + name, ticked};
    }
    ListRow cardDesign(const std::string& name, const Bytes& bytes, bool ticked = true) {
        drives.write("E:\\EmbF5\\" + name, bytes);
        return {name, "E:\\EmbF5\\" + name, ticked};
    }
    void fillCardFolder(int designs) {
        for (int i = 0; i < designs; ++i) drives.write("E:\\EmbF5\\D" + std::to_string(i) + ".kxd", Bytes{1, 2, 3});
    }
    int cardDesignCount() { return CountDesignFiles("E:\\EmbF5\\", ".kxd"); }
    bool tempExists() { return drives.exists("T:\\$$SndDat.tp$"); }

    TestDrives drives;
    ScriptedMessages messages;
    CardTarget card{"E:\\EmbF5\\", "E:\\"};
};

TEST_F(CardTransfers, WriteConvertsCopiesAndAddsThumbnail) {
    Bytes rose = SmallDesign();
    std::vector<ListRow> rows{{"sub", "C:\\designs\\sub\\", false}, pcDesign("ROSE.kxd", rose)};
    FaultPlatform watch(drives.backend());
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kTransferRan);
    Bytes onCard = drives.read("E:\\EmbF5\\ROSE.kxd");
    EXPECT_EQ(onCard, CardForm(rose));
    EXPECT_EQ(drives.read("E:\\EmbF5\\ROSE.kxt"), ThumbnailOf(onCard));
    EXPECT_EQ(drives.read("C:\\designs\\ROSE.kxd"), rose);
    EXPECT_FALSE(tempExists());
    EXPECT_EQ(watch.flushedVolumes(), "E");
    EXPECT_TRUE(messages.shown().empty());
}

TEST_F(CardTransfers, WriteCreatesAMissingCardFolderAndKeepsTheListedName) {
    card.folder = "E:\\EmbF9\\";
    std::vector<ListRow> rows{pcDesign("TULIP.KXD", SmallDesign())};
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kTransferRan);
    EXPECT_TRUE(fs::exists(drives.host("E:\\") / "EmbF9" / "TULIP.KXD"));
    EXPECT_TRUE(fs::exists(drives.host("E:\\") / "EmbF9" / "TULIP.kxt"));
}

TEST_F(CardTransfers, WriteDoesNothingWithoutTicksRowsOrFolder) {
    FaultPlatform watch(drives.backend());
    EXPECT_EQ(WriteSelectedToCard(0, {}, card), kNothingDone);
    std::vector<ListRow> rows{pcDesign("ROSE.kxd", SmallDesign(), false)};
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kNothingDone);
    rows[0].ticked = true;
    EXPECT_EQ(WriteSelectedToCard(0, rows, CardTarget{std::nullopt, "E:\\"}), kNothingDone);
    EXPECT_EQ(watch.flushedVolumes(), "");
    EXPECT_EQ(cardDesignCount(), 0);
}

TEST_F(CardTransfers, WriteStopsAtTheHundredthDesign) {
    fillCardFolder(99);
    std::vector<ListRow> rows{pcDesign("A.kxd", SmallDesign(1)), pcDesign("B.kxd", SmallDesign(2)),
                              pcDesign("C.kxd", SmallDesign(3))};
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kTransferRan);
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\A.kxd"));
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\B.kxd"));
    EXPECT_EQ(cardDesignCount(), 100);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, kFolderFull);
    EXPECT_EQ(messages.shown()[0].caption, "Attention");
    EXPECT_EQ(messages.shown()[0].flags, mb::ICONHAND);
}

TEST_F(CardTransfers, AFullFolderRefusesEvenAnOverwrite) {
    fillCardFolder(100);
    std::vector<ListRow> rows{pcDesign("D7.kxd", SmallDesign())};
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kTransferRan);
    EXPECT_EQ(drives.read("E:\\EmbF5\\D7.kxd"), (Bytes{1, 2, 3}));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kFolderFull});
}

TEST_F(CardTransfers, AnOverwriteDoesNotRaiseTheCount) {
    fillCardFolder(99);
    std::vector<ListRow> rows{pcDesign("D0.kxd", SmallDesign(1)), pcDesign("NEW.kxd", SmallDesign(2))};
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kTransferRan);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(drives.read("E:\\EmbF5\\D0.kxd"), CardForm(SmallDesign(1)));
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\NEW.kxd"));
}

TEST_F(CardTransfers, APairHalfKeepsItsMarkAndGetsNoThumbnail) {
    Bytes marked = DesignBuilder().pairMark('B', 0x11).stitches(10, 4, 4).end().bytes();
    std::vector<ListRow> rows{pcDesign("ROSE2.kxd", marked), pcDesign("ROSE.kxd", marked)};
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kTransferRan);

    Bytes half = drives.read("E:\\EmbF5\\ROSE2.kxd");
    EXPECT_EQ(half, CardForm(marked));
    EXPECT_EQ(half[0x16], 'B');
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\ROSE2.kxt"));

    Bytes whole = drives.read("E:\\EmbF5\\ROSE.kxd");
    EXPECT_EQ(whole, CardForm(marked, false));
    EXPECT_EQ(whole[0x16], 0);
    EXPECT_EQ(whole[0x17], 0);
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\ROSE.kxt"));
    EXPECT_EQ(drives.read("C:\\designs\\ROSE.kxd"), marked);
}

TEST_F(CardTransfers, RefusalsAreReportedAndSkipped) {
    Bytes huge = DesignBuilder().move(0, 0).stitches(65540, 1, 0).end().bytes();
    Bytes tooWide = DesignBuilder().move(0, 0).stitch(1, 1).end().extents(701, 0, 0, 0).bytes();
    std::vector<ListRow> rows{pcDesign("ABC.kxd", huge), pcDesign("FLOWERS.kxd", huge),
                              pcDesign("WIDE.kxd", tooWide), {"gone.kxd", "C:\\designs\\gone.kxd", true},
                              pcDesign("notes.txt", SmallDesign()), pcDesign("OK.kxd", SmallDesign())};
    std::vector<std::string> skipped;
    TransferObserver observer;
    observer.skipped = [&](const std::string& name) { skipped.push_back(name); };
    EXPECT_EQ(WriteSelectedToCard(0, rows, card, observer), kTransferRan);
    EXPECT_EQ(skipped, (std::vector<std::string>{"gone.kxd", "notes.txt"}));
    ASSERT_EQ(messages.shown().size(), 3u);
    EXPECT_EQ(messages.shown()[0].text,
              "The design is too large and cannot be sent in this menu.\nThe pattern (ABC) exceeds the "
              "64000 stitch limit.");
    EXPECT_EQ(messages.shown()[0].flags, mb::ICONEXCLAMATION);
    EXPECT_NE(messages.shown()[1].text.find("The pattern (WERS) exceeds"), std::string::npos);
    EXPECT_EQ(messages.shown()[2].text, "The \"WIDE\" design exceeds the hoop size limits.");
    EXPECT_EQ(messages.shown()[2].caption, "Attention");
    EXPECT_EQ(messages.shown()[2].flags, mb::ICONINFORMATION);
    EXPECT_EQ(cardDesignCount(), 1);
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\OK.kxd"));
    EXPECT_FALSE(tempExists());
}

TEST_F(CardTransfers, AFailedCopyEndsTheWriteWithResultTwo) {
    drives.makeDir("E:\\EmbF5\\B.kxd");  // a folder where the copy must go
    std::vector<ListRow> rows{pcDesign("A.kxd", SmallDesign(1)), pcDesign("B.kxd", SmallDesign(2)),
                              pcDesign("C.kxd", SmallDesign(3))};
    FaultPlatform watch(drives.backend());
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kCardWriteFailed);
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\A.kxd"));
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\C.kxd"));
    EXPECT_FALSE(tempExists());
    EXPECT_EQ(watch.flushedVolumes(), "E");
}

// Every file on the card is whole: a design equals its card form (or, when the header rewrite
// of the temporary copy was what failed, the converted design as it was), a thumbnail equals
// the thumbnail of the design beside it.
void ExpectNothingTruncated(TestDrives& drives, const std::map<std::string, Bytes>& pcDesigns) {
    for (const auto& [name, pc] : pcDesigns) {
        std::string cardFile = "E:\\EmbF5\\" + name;
        std::string thumb = cardFile.substr(0, cardFile.size() - 3) + "kxt";
        if (drives.exists(cardFile)) {
            Bytes onCard = drives.read(cardFile);
            EXPECT_TRUE(onCard == CardForm(pc) || onCard == ConvertDesignForCard(pc).bytes) << name;
        }
        if (drives.exists(thumb)) {
            ASSERT_TRUE(drives.exists(cardFile)) << "thumbnail without design: " << name;
            EXPECT_EQ(drives.read(thumb), ThumbnailOf(drives.read(cardFile))) << name;
        }
        EXPECT_EQ(drives.read("C:\\designs\\" + name), pc) << name;
    }
}

TEST_F(CardTransfers, WriteSurvivesAFailureAtEveryOperation) {
    std::map<std::string, Bytes> designs{{"A.kxd", SmallDesign(1)}, {"B.kxd", SmallDesign(2)}};
    std::vector<ListRow> rows;
    for (const auto& [name, bytes] : designs) rows.push_back(pcDesign(name, bytes));
    int operations = 0;
    {
        FaultPlatform count(drives.backend());
        ASSERT_EQ(WriteSelectedToCard(0, rows, card), kTransferRan);
        operations = count.operationCount();
    }
    ASSERT_GT(operations, 10);
    for (int k = 1; k <= operations; ++k) {
        fs::remove_all(drives.host("E:\\EmbF5"));
        drives.makeDir("E:\\EmbF5");
        FaultPlatform fault(drives.backend());
        fault.failOperation(k);
        int result = WriteSelectedToCard(0, rows, card);
        SCOPED_TRACE("failed: " + fault.failedOperation());
        EXPECT_TRUE(result == kTransferRan || result == kCardWriteFailed);
        ExpectNothingTruncated(drives, designs);
        // The temporary file stays only when writing or deleting it was what failed.
        const std::string& what = fault.failedOperation();
        if (what.rfind("delete T:", 0) != 0 && what.rfind("write T:", 0) != 0) {
            EXPECT_FALSE(tempExists());
        }
        if (fault.failedOperation().rfind("open \\\\.\\", 0) != 0) {
            EXPECT_EQ(fault.flushedVolumes(), "E");
        }
    }
    messages.clear();
}

TEST_F(CardTransfers, AFullCardNeverLeavesAPartOfADesignOrThumbnail) {
    std::map<std::string, Bytes> designs{{"A.kxd", SmallDesign(1)}, {"B.kxd", SmallDesign(2)}};
    std::vector<ListRow> rows;
    for (const auto& [name, bytes] : designs) rows.push_back(pcDesign(name, bytes));
    std::uint64_t design = CardForm(designs["A.kxd"]).size();
    std::uint64_t thumb = ThumbnailOf(CardForm(designs["A.kxd"])).size();
    for (std::uint64_t budget : {std::uint64_t{0}, design - 1, design, design + thumb - 1, design + thumb,
                                 2 * design + thumb, 2 * (design + thumb) - 1}) {
        fs::remove_all(drives.host("E:\\EmbF5"));
        drives.makeDir("E:\\EmbF5");
        FaultPlatform full(drives.backend());
        full.setWriteBudget('E', budget);
        SCOPED_TRACE("budget " + std::to_string(budget));
        EXPECT_EQ(WriteSelectedToCard(0, rows, card), kCardWriteFailed);
        ExpectNothingTruncated(drives, designs);
        EXPECT_FALSE(tempExists());
    }
}

TEST_F(CardTransfers, ReadCopiesTickedDesignsAndReportsEachFailure) {
    std::vector<ListRow> rows{cardDesign("A.kxd", Bytes{1}), cardDesign("B.kxd", Bytes{2}),
                              cardDesign("C.kxd", Bytes{3}), cardDesign("D.kxd", Bytes{4}, false)};
    drives.write("E:\\EmbF5\\A.kxt", Bytes{9});
    drives.write("C:\\designs\\A.kxd", Bytes{7, 7, 7, 7});
    drives.makeDir("C:\\designs\\B.kxd");  // the second copy cannot land
    FaultPlatform watch(drives.backend());
    EXPECT_EQ(ReadSelectedFromCard(0, rows, card, "C:\\designs\\"), kTransferRan);
    EXPECT_EQ(drives.read("C:\\designs\\A.kxd"), Bytes{1});
    EXPECT_EQ(drives.read("C:\\designs\\C.kxd"), Bytes{3});
    EXPECT_FALSE(drives.exists("C:\\designs\\D.kxd"));
    EXPECT_FALSE(drives.exists("C:\\designs\\A.kxt"));
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "Failed to Read Kxd files.\nTry again.");
    EXPECT_EQ(messages.shown()[0].caption, "Confirm");
    EXPECT_EQ(messages.shown()[0].flags, mb::ICONQUESTION);
    EXPECT_EQ(watch.flushedVolumes(), "C");
}

TEST_F(CardTransfers, ReadVisitsOnlyAsManyRowsAsTheFolderHoldsDesigns) {
    std::vector<ListRow> rows{cardDesign("A.kxd", Bytes{1}), cardDesign("B.kxd", Bytes{2}),
                              {"X.kxd", "E:\\EmbF5\\X.kxd", true}};
    EXPECT_EQ(ReadSelectedFromCard(0, rows, card, "C:\\designs\\"), kTransferRan);
    EXPECT_TRUE(messages.shown().empty());
    drives.write("E:\\EmbF5\\Y.kxd", Bytes{5});
    EXPECT_EQ(ReadSelectedFromCard(0, rows, card, "C:\\designs\\"), kTransferRan);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"Failed to Read Kxd files.\nTry again."});
    EXPECT_EQ(ReadSelectedFromCard(0, {{"A.kxd", "E:\\EmbF5\\A.kxd", false}}, card, "C:\\"), kNothingDone);
    EXPECT_EQ(ReadSelectedFromCard(0, rows, CardTarget{std::nullopt, "E:\\"}, "C:\\"), kNothingDone);
}

TEST_F(CardTransfers, EraseAsksFirstThenDeletesDesignsWithTheirThumbnails) {
    std::vector<ListRow> rows{cardDesign("A.kxd", Bytes{1}), cardDesign("B.kxd", Bytes{2}),
                              cardDesign("C.kxd", Bytes{3}, false)};
    drives.write("E:\\EmbF5\\A.kxt", Bytes{9});
    messages.answer(id::NO);
    EXPECT_EQ(EraseSelectedFromCard(0, rows, CardTarget{std::nullopt, "E:\\"}), kNothingDone);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text, "Are you sure you want to delete the selected designs from the ATA PC Card?");
    EXPECT_EQ(messages.shown()[0].flags, mb::YESNO | mb::ICONQUESTION);
    EXPECT_EQ(cardDesignCount(), 3);

    messages.clear();
    messages.answer(id::YES);
    FaultPlatform watch(drives.backend());
    EXPECT_EQ(EraseSelectedFromCard(0, rows, card), kTransferRan);
    EXPECT_EQ(messages.shown().size(), 1u);  // only the question: B had no thumbnail to miss
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\A.kxd"));
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\A.kxt"));
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\B.kxd"));
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\C.kxd"));
    EXPECT_EQ(watch.flushedVolumes(), "E");
}

TEST_F(CardTransfers, EraseNeverDeletesOutsideTheCardFolder) {
    drives.write("E:\\keep.kxd", Bytes{1});
    cardDesign("A.kxd", Bytes{2});
    cardDesign("B.kxd", Bytes{3});
    std::vector<ListRow> rows{{"..\\keep.kxd", "E:\\keep.kxd", true}, {"..", "E:\\EmbF5\\..", true}};
    messages.answer(id::YES);
    EXPECT_EQ(EraseSelectedFromCard(0, rows, card), kTransferRan);
    EXPECT_TRUE(drives.exists("E:\\keep.kxd"));
    EXPECT_EQ(messages.shown().size(), 3u);  // the question, then one failure for each row
}

TEST_F(CardTransfers, HostDesignIsNormalisedInPlaceAndStoredWithThumbnail) {
    Bytes host = DesignBuilder().move(0, 0).stitches(10, 60, 60).end().hoopCode(0).bytes();
    FaultPlatform watch(drives.backend());
    EXPECT_EQ(WriteHostDesign(0, host, "..\\..\\HOST.kxd", card), kTransferRan);
    EXPECT_EQ(DesignHeader::parse(host)->hoopCode(), 3u);
    EXPECT_EQ(drives.read("E:\\EmbF5\\HOST.kxd"), host);
    EXPECT_EQ(drives.read("E:\\EmbF5\\HOST.kxt"), ThumbnailOf(host));
    EXPECT_FALSE(drives.exists("E:\\HOST.kxd"));
    EXPECT_EQ(watch.flushedVolumes(), "E");
}

TEST_F(CardTransfers, HostDesignRespectsTheHundredButMayOverwrite) {
    fillCardFolder(100);
    Bytes host = SmallDesign();
    EXPECT_EQ(WriteHostDesign(0, host, "NEW.kxd", card), kNothingDone);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kFolderFull});
    EXPECT_EQ(WriteHostDesign(0, host, "D3.kxd", card), kTransferRan);
    EXPECT_EQ(drives.read("E:\\EmbF5\\D3.kxd"), host);
}

TEST_F(CardTransfers, HostDesignOnAFullCardLeavesNothingBehind) {
    Bytes host = SmallDesign();
    for (std::uint64_t budget : {std::uint64_t{10}, std::uint64_t{host.size() + 5}}) {
        FaultPlatform full(drives.backend());
        full.setWriteBudget('E', budget);
        EXPECT_EQ(WriteHostDesign(0, host, "HOST.kxd", card), kCardWriteFailed);
        EXPECT_FALSE(drives.exists("E:\\EmbF5\\HOST.kxd"));
        EXPECT_FALSE(drives.exists("E:\\EmbF5\\HOST.kxt"));
    }
}

// A list file of 260-byte records, each a path padded with zeros.
Bytes ListFile(const std::vector<std::string>& paths) {
    Bytes out;
    for (const auto& p : paths) {
        Bytes record(260, 0);
        std::copy(p.begin(), p.end(), record.begin());
        out.insert(out.end(), record.begin(), record.end());
    }
    return out;
}

TEST_F(CardTransfers, ListedFilesGoUnderTheDesignNamePrefix) {
    Bytes half = DesignBuilder().pairMark('A').move(0, 0).stitches(5, 3, 3).end().bytes();
    Bytes plain = DesignBuilder().pairMark('C').move(0, 0).stitches(5, -3, 3).end().normalized().bytes();
    pcDesign("A1.kxd", half);
    pcDesign("B.kxd", plain);
    drives.write("C:\\list.dat", ListFile({"C:\\designs\\A1.kxd", "C:\\designs\\B.kxd"}));
    FaultPlatform watch(drives.backend());
    EXPECT_EQ(WriteListedFiles(0, "C:\\list.dat", "ROSE.kxd", card), kTransferRan);
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\ROSEA1.kxd"));
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\ROSEA1.kxt"));
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\ROSEB.kxt"));
    // The listed files themselves were normalised, and B lost its stale mark.
    Bytes b = drives.read("C:\\designs\\B.kxd");
    EXPECT_EQ(b[0x16], 0);
    EXPECT_EQ(drives.read("E:\\EmbF5\\ROSEB.kxd"), b);
    EXPECT_EQ(drives.read("C:\\designs\\A1.kxd")[0x16], 'A');
    EXPECT_EQ(watch.flushedVolumes(), "E");
}

TEST_F(CardTransfers, ListFileSizesAndErrors) {
    pcDesign("A.kxd", SmallDesign());
    Bytes list = ListFile({"C:\\designs\\A.kxd"});
    list.pop_back();  // 259 bytes: no whole record
    drives.write("C:\\short.dat", list);
    {
        FaultPlatform watch(drives.backend());
        EXPECT_EQ(WriteListedFiles(0, "C:\\short.dat", "X.kxd", card), kTransferRan);
        EXPECT_EQ(cardDesignCount(), 0);
        EXPECT_EQ(watch.flushedVolumes(), "E");
    }
    drives.write("C:\\empty.dat", {});
    {
        FaultPlatform watch(drives.backend());
        EXPECT_EQ(WriteListedFiles(0, "C:\\empty.dat", "X.kxd", card), kTransferRan);
        EXPECT_EQ(WriteListedFiles(0, "C:\\missing.dat", "X.kxd", card), kTransferRan);
        EXPECT_EQ(watch.flushedVolumes(), "");
    }
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{"File Open Error.", "File Open Error."}));
    messages.clear();

    // A record with no terminator is taken as its 260 bytes: it names no file.
    drives.write("C:\\unterminated.dat", Bytes(260, 'a'));
    EXPECT_EQ(WriteListedFiles(0, "C:\\unterminated.dat", "X.kxd", card), kNothingDone);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"There is an error in a file.\nQuit operation."});
}

TEST_F(CardTransfers, ListedFilesStopAtTheHundredthNewName) {
    fillCardFolder(99);
    pcDesign("A.kxd", SmallDesign(1));
    pcDesign("B.kxd", SmallDesign(2));
    drives.write("C:\\list.dat", ListFile({"C:\\designs\\A.kxd", "C:\\designs\\B.kxd"}));
    EXPECT_EQ(WriteListedFiles(0, "C:\\list.dat", "", card), kNothingDone);
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\A.kxd"));
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\B.kxd"));
    EXPECT_EQ(messages.texts(), std::vector<std::string>{kFolderFull});
}

TEST_F(CardTransfers, FolderRenameChecksTheCardFirst) {
    OrderFile order;
    EXPECT_EQ(ApplyFolderRename(0, "", 2, "Roses", order), 0);
    EXPECT_TRUE(messages.shown().empty());
    drives.addNoMedia('F');
    EXPECT_EQ(ApplyFolderRename(0, "F:\\", 2, "Roses", order), 0);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].caption, "SnapPort");
    EXPECT_EQ(ApplyFolderRename(0, "E:\\", 2, "Roses", order), 1);
    Bytes file = drives.read("E:\\Emb_OrdF.dat");
    ASSERT_EQ(file.size(), 304u);
    EXPECT_EQ(std::string(file.begin() + 184, file.begin() + 192), std::string("Roses\0\0\0", 8));
    EXPECT_TRUE(fs::is_directory(drives.host("E:\\EmbF7")));
}

}  // namespace
}  // namespace kx

namespace kx {
namespace {

// Runs `command` once cleanly to count its file operations, then once for every operation
// failing in turn; `check` looks at the result and the folders after each run.
template <class Command, class Check>
void AtEveryFailure(TestDrives& drives, const std::function<void()>& reset, Command command, Check check) {
    int operations = 0;
    {
        reset();
        FaultPlatform count(drives.backend());
        command();
        operations = count.operationCount();
    }
    ASSERT_GE(operations, 3);
    for (int k = 1; k <= operations; ++k) {
        reset();
        FaultPlatform fault(drives.backend());
        fault.failOperation(k);
        int result = command();
        SCOPED_TRACE("failed: " + fault.failedOperation());
        check(result, fault);
    }
}

TEST_F(CardTransfers, ReadAndEraseSurviveAFailureAtEveryOperation) {
    auto reset = [&] {
        fs::remove_all(drives.host("E:\\EmbF5"));
        fs::remove_all(drives.host("C:\\designs"));
        drives.makeDir("E:\\EmbF5");
        drives.makeDir("C:\\designs");
        drives.write("E:\\EmbF5\\A.kxd", Bytes(300, 1));
        drives.write("E:\\EmbF5\\A.kxt", Bytes(60, 2));
        drives.write("E:\\EmbF5\\B.kxd", Bytes(500, 3));
    };
    std::vector<ListRow> rows{{"A.kxd", "E:\\EmbF5\\A.kxd", true}, {"B.kxd", "E:\\EmbF5\\B.kxd", true}};
    auto volumeFailed = [](const FaultPlatform& f) { return f.failedOperation().rfind("open \\\\.\\", 0) == 0; };

    AtEveryFailure(drives, reset, [&] { return ReadSelectedFromCard(0, rows, card, "C:\\designs\\"); },
                   [&](int result, const FaultPlatform& f) {
                       EXPECT_EQ(result, kTransferRan);
                       for (const char* n : {"A.kxd", "B.kxd"}) {
                           std::string pc = std::string("C:\\designs\\") + n;
                           if (drives.exists(pc)) {
                               EXPECT_EQ(drives.read(pc), drives.read(std::string("E:\\EmbF5\\") + n));
                           }
                       }
                       if (!volumeFailed(f)) {
                           EXPECT_EQ(f.flushedVolumes(), "C");
                       }
                   });
    messages.clear();
    AtEveryFailure(drives, reset,
                   [&] {
                       messages.answer(id::YES);
                       return EraseSelectedFromCard(0, rows, card);
                   },
                   [&](int result, const FaultPlatform& f) {
                       EXPECT_EQ(result, kTransferRan);
                       // Whatever stays is whole.
                       if (drives.exists("E:\\EmbF5\\A.kxd")) {
                           EXPECT_EQ(drives.read("E:\\EmbF5\\A.kxd"), Bytes(300, 1));
                       }
                       if (drives.exists("E:\\EmbF5\\B.kxd")) {
                           EXPECT_EQ(drives.read("E:\\EmbF5\\B.kxd"), Bytes(500, 3));
                       }
                       if (!volumeFailed(f)) {
                           EXPECT_EQ(f.flushedVolumes(), "E");
                       }
                   });
    messages.clear();
}

TEST_F(CardTransfers, DirectWritesSurviveAFailureAtEveryOperation) {
    Bytes design = SmallDesign();
    Bytes normalised = design;  // as a host design is adjusted in memory
    NormalizeHoopFieldsInMemory(normalised);
    Bytes classified = design;  // as a listed file is adjusted on disk
    NormalizedHoopFields(*DesignHeader::parse(design))->storeInto(classified);
    auto reset = [&] {
        fs::remove_all(drives.host("E:\\EmbF5"));
        drives.makeDir("E:\\EmbF5");
        drives.write("C:\\designs\\A.kxd", design);
        drives.write("C:\\list.dat", ListFile({"C:\\designs\\A.kxd"}));
    };
    auto expectWholeOrNothing = [&](const std::string& cardFile, const Bytes& whole) {
        if (drives.exists(cardFile)) {
            EXPECT_EQ(drives.read(cardFile), whole);
        }
        std::string thumb = cardFile.substr(0, cardFile.size() - 3) + "kxt";
        if (drives.exists(thumb)) {
            ASSERT_TRUE(drives.exists(cardFile));
            EXPECT_EQ(drives.read(thumb), ThumbnailOf(whole));
        }
    };
    AtEveryFailure(drives, reset,
                   [&] {
                       Bytes host = design;
                       return WriteHostDesign(0, host, "HOST.kxd", card);
                   },
                   [&](int result, const FaultPlatform&) {
                       EXPECT_TRUE(result == kNothingDone || result == kTransferRan || result == kCardWriteFailed);
                       expectWholeOrNothing("E:\\EmbF5\\HOST.kxd", normalised);
                   });
    AtEveryFailure(drives, reset, [&] { return WriteListedFiles(0, "C:\\list.dat", "R.kxd", card); },
                   [&](int result, const FaultPlatform&) {
                       EXPECT_TRUE(result == kNothingDone || result == kTransferRan || result == kCardWriteFailed);
                       // The listed file is only ever normalised in place, never cut.
                       Bytes listed = drives.read("C:\\designs\\A.kxd");
                       EXPECT_TRUE(listed == design || listed == classified);
                       if (drives.exists("E:\\EmbF5\\RA.kxd")) expectWholeOrNothing("E:\\EmbF5\\RA.kxd", listed);
                   });
    messages.clear();
}

}  // namespace
}  // namespace kx
