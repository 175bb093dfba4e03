// The card commands on real card and PC folders: write, read, erase and the direct writes,
// cleanly, with refusals, on a full card and with a failure at every file operation.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>

#include "card/order_file.h"
#include "design/card_conversion.h"
#include "design/design_checks.h"
#include "render/thumbnail.h"
#include "support/design_builder.h"
#include "support/fault_platform.h"
#include "support/scripted_messages.h"
#include "support/test_drives.h"
#include "platform/paths.h"
#include "transfer/card_transfers.h"
#include "transfer/names.h"

namespace kx {
namespace {

namespace fs = std::filesystem;
using test::DesignBuilder;
using test::FaultPlatform;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

const char* const kFolderFull = "100 designs have been registered.\nNo more design can be registered.";

// Hoop C; starts with a stitch (gains a leading move) and splits a colour change.
Bytes SmallDesign(int variant = 0) {
    return DesignBuilder().colors({3, 7}).stitches(12 + variant, 5, 3).colorChange(2, 1).stitches(8, -4, 2)
        .move(10, -10).stitches(6, 3, 3).end().bytes();
}

// The card's copy of a PC design: converted, hoop fields normalised (unless `normalised` is
// false: the header rewrite of the temporary copy failed), pair mark kept or cleared.
Bytes CardForm(const Bytes& pc, bool keepPairMark = true, bool normalised = true) {
    Bytes card = ConvertDesignForCard(pc).bytes;
    auto header = NormalizedHoopFields(*DesignHeader::parse(card));
    if (!keepPairMark) header->clearPairMark();
    if (normalised) header->storeInto(card);
    return card;
}

Bytes ThumbnailOf(const Bytes& design) { return MakeThumbnailRecord(design).value_or(Bytes{}); }

Bytes ListFile(const std::vector<std::string>& paths) {
    Bytes out;
    for (const auto& p : paths) {
        out.insert(out.end(), p.begin(), p.end());
        out.resize(out.size() + 260 - p.size());
    }
    return out;
}

class CardTransfers : public ::testing::Test {
protected:
    void SetUp() override {
        drives.addCard('E');
        drives.addFixed('C');
        resetFolders();
    }
    void resetFolders() {
        fs::remove_all(drives.host("E:\\EmbF5"));
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
    // Side files of whole-file writes left in the card and PC folders.
    int sideFiles() {
        int n = 0;
        for (const char* folder : {"E:\\EmbF5", "C:\\designs"})
            for (const auto& entry : fs::directory_iterator(drives.host(folder)))
                n += IsCopySideFileName(entry.path().filename().string()) ? 1 : 0;
        return n;
    }

    // Every card file is whole: a design is its card form, a thumbnail the one of the design
    // beside it; the PC files are as they were.
    void expectNothingTruncated(const std::map<std::string, Bytes>& pcDesigns) {
        for (const auto& [name, pc] : pcDesigns) {
            std::string cardFile = "E:\\EmbF5\\" + name, thumb = ReplaceExtension(cardFile, "kxt");
            if (drives.exists(cardFile)) {
                Bytes onCard = drives.read(cardFile);
                EXPECT_TRUE(onCard == CardForm(pc) || onCard == CardForm(pc, true, false)) << name;
            }
            if (drives.exists(thumb)) {
                ASSERT_TRUE(drives.exists(cardFile)) << "thumbnail without design: " << name;
                EXPECT_EQ(drives.read(thumb), ThumbnailOf(drives.read(cardFile))) << name;
            }
            EXPECT_EQ(drives.read("C:\\designs\\" + name), pc) << name;
        }
    }

    // Runs `command` cleanly to count its file operations, then once with each failing in turn.
    template <class Command, class Check>
    void atEveryFailure(Command command, Check check) {
        int operations = 0;
        {
            resetFolders();
            FaultPlatform count(drives.backend());
            [[maybe_unused]] TransferResult clean = command();
            operations = count.operationCount();
        }
        ASSERT_GE(operations, 3);
        for (int k = 1; k <= operations; ++k) {
            resetFolders();
            FaultPlatform fault(drives.backend());
            fault.failOperation(k);
            int result = command();
            SCOPED_TRACE("failed: " + fault.failedOperation());
            EXPECT_TRUE(result == kNothingDone || result == kTransferRan || result == kCardWriteFailed);
            check(fault);
        }
        messages.clear();
    }
    static bool Failed(const FaultPlatform& f, const char* prefix) { return f.failedOperation().rfind(prefix, 0) == 0; }

    // An observer that keeps each failure the system leaves unexplained as "file: reason".
    TransferObserver explaining() {
        TransferObserver observer;
        observer.failed = [this](const std::string& file, const std::string& why) { reasons.push_back(file + ": " + why); };
        return observer;
    }

    test::TestDrives drives;
    test::ScriptedMessages messages;
    CardTarget card{"E:\\EmbF5\\", "E:\\"};
    Texts reasons;
};

TEST_F(CardTransfers, WriteConvertsCopiesAndAddsThumbnail) {
    Bytes rose = SmallDesign();
    std::vector<ListRow> rows{{"sub", "C:\\designs\\sub\\", false}, pcDesign("ROSE.kxd", rose),
                              pcDesign("TULIP.KXD", SmallDesign(1))};
    FaultPlatform watch(drives.backend());
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kTransferRan);
    Bytes onCard = drives.read("E:\\EmbF5\\ROSE.kxd");
    EXPECT_EQ(onCard, CardForm(rose));
    EXPECT_EQ(drives.read("E:\\EmbF5\\ROSE.kxt"), ThumbnailOf(onCard));
    EXPECT_TRUE(fs::exists(drives.host("E:\\") / "EmbF5" / "TULIP.KXD"));  // the name as listed
    EXPECT_TRUE(fs::exists(drives.host("E:\\") / "EmbF5" / "TULIP.kxt"));
    EXPECT_EQ(drives.read("C:\\designs\\ROSE.kxd"), rose);
    EXPECT_EQ(sideFiles(), 0);
    EXPECT_EQ(watch.flushedVolumes(), "E");
    EXPECT_TRUE(messages.shown().empty());

    card.folder = "E:\\EmbF9\\";  // a missing card folder is made
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kTransferRan);
    EXPECT_TRUE(drives.exists("E:\\EmbF9\\ROSE.kxd"));
}

TEST_F(CardTransfers, WriteDoesNothingWithoutTicksRowsOrFolder) {
    FaultPlatform watch(drives.backend());
    std::vector<ListRow> rows{pcDesign("ROSE.kxd", SmallDesign(), false)};
    EXPECT_EQ(WriteSelectedToCard(0, {}, card), kNothingDone);
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kNothingDone);
    rows[0].ticked = true;
    EXPECT_EQ(WriteSelectedToCard(0, rows, CardTarget{std::nullopt, "E:\\"}), kNothingDone);
    EXPECT_EQ(watch.flushedVolumes(), "");
    EXPECT_EQ(cardDesignCount(), 0);
}

TEST_F(CardTransfers, TheHundredthDesignEndsTheWriteButAnOverwriteDoesNotCount) {
    fillCardFolder(99);
    std::vector<ListRow> rows{pcDesign("D0.kxd", SmallDesign(1)), pcDesign("A.kxd", SmallDesign(2)),
                              pcDesign("B.kxd", SmallDesign(3))};
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kTransferRan);
    EXPECT_EQ(drives.read("E:\\EmbF5\\D0.kxd"), CardForm(SmallDesign(1)));
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\A.kxd"));
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\B.kxd"));
    ASSERT_EQ(messages.texts(), Texts{kFolderFull});
    EXPECT_EQ(messages.shown()[0].caption, "Attention");
    EXPECT_EQ(messages.shown()[0].flags, mb::ICONHAND);

    // Full: the message comes before even an overwrite.
    messages.clear();
    EXPECT_EQ(WriteSelectedToCard(0, {rows[0]}, card), kTransferRan);
    EXPECT_EQ(messages.texts(), Texts{kFolderFull});
}

TEST_F(CardTransfers, APairHalfKeepsItsMarkAndGetsNoThumbnail) {
    Bytes marked = DesignBuilder().pairMark('B', 0x11).stitches(10, 4, 4).end().bytes();
    std::vector<ListRow> rows{pcDesign("ROSE2.kxd", marked), pcDesign("ROSE.kxd", marked)};
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kTransferRan);
    EXPECT_EQ(drives.read("E:\\EmbF5\\ROSE2.kxd"), CardForm(marked));
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\ROSE2.kxt"));
    EXPECT_EQ(drives.read("E:\\EmbF5\\ROSE.kxd"), CardForm(marked, false));
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\ROSE.kxt"));
    EXPECT_EQ(drives.read("C:\\designs\\ROSE.kxd"), marked);
}

TEST_F(CardTransfers, RefusalsAreReportedOrSkippedSilently) {
    Bytes huge = DesignBuilder().move(0, 0).stitches(65540, 1, 0).end().bytes();
    Bytes tooWide = DesignBuilder().move(0, 0).stitch(1, 1).end().extents(701, 0, 0, 0).bytes();
    std::vector<ListRow> rows{pcDesign("ABC.kxd", huge), pcDesign("FLOWERS.kxd", huge),
                              pcDesign("WIDE.kxd", tooWide), {"gone.kxd", "C:\\designs\\gone.kxd", true},
                              pcDesign("notes.txt", SmallDesign()), pcDesign("OK.kxd", SmallDesign()),
                              pcDesign("EDGE.kxd", DesignBuilder().stitch(1, 1).end().recordCount(65534).bytes())};
    EXPECT_EQ(WriteSelectedToCard(0, rows, card, explaining()), kTransferRan);
    EXPECT_EQ(reasons, (Texts{"gone.kxd: No such file or directory", "notes.txt: Not named as a design (.kxd)",
                              "EDGE.kxd: More than 65535 records once converted for the card"}));
    EXPECT_EQ(messages.texts(),
              (Texts{"The design is too large and cannot be sent in this menu.\nThe pattern (ABC) exceeds the 64000 stitch limit.",
                     "The design is too large and cannot be sent in this menu.\nThe pattern (WERS) exceeds the 64000 stitch limit.",
                     "The \"WIDE\" design exceeds the hoop size limits."}));
    EXPECT_EQ(messages.shown()[0].flags, mb::ICONEXCLAMATION);
    EXPECT_EQ(messages.shown()[2].flags, mb::ICONINFORMATION);
    EXPECT_EQ(cardDesignCount(), 1);
    EXPECT_EQ(sideFiles(), 0);
}

TEST_F(CardTransfers, AFailedCopyEndsTheWriteWithResultTwo) {
    drives.makeDir("E:\\EmbF5\\B.kxd");  // a folder where the copy must go
    std::vector<ListRow> rows{pcDesign("A.kxd", SmallDesign(1)), pcDesign("B.kxd", SmallDesign(2)),
                              pcDesign("C.kxd", SmallDesign(3))};
    FaultPlatform watch(drives.backend());
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), kCardWriteFailed);
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\A.kxd"));
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\C.kxd"));
    EXPECT_EQ(sideFiles(), 0);
    EXPECT_EQ(watch.flushedVolumes(), "E");
}

TEST_F(CardTransfers, WriteSurvivesAFailureAtEveryOperationAndAFullCard) {
    std::map<std::string, Bytes> designs{{"A.kxd", SmallDesign(1)}, {"B.kxd", SmallDesign(2)}};
    std::vector<ListRow> rows;
    for (const auto& [name, bytes] : designs) rows.push_back(pcDesign(name, bytes));
    atEveryFailure([&] { return WriteSelectedToCard(0, rows, card); },
                   [&](const FaultPlatform& f) {
                       expectNothingTruncated(designs);
                       // The temporary file stays only when writing or deleting it failed.
                       if (!Failed(f, "delete T:") && !Failed(f, "write T:")) {
                           EXPECT_EQ(sideFiles(), 0);
                       }
                       if (!Failed(f, "open \\\\.\\")) {
                           EXPECT_EQ(f.flushedVolumes(), "E");
                       }
                   });
    std::uint64_t design = CardForm(designs["A.kxd"]).size(), thumb = ThumbnailOf(CardForm(designs["A.kxd"])).size();
    for (std::uint64_t budget : {std::uint64_t{0}, design - 1, design + thumb - 1, 2 * design + thumb}) {
        resetFolders();
        FaultPlatform full(drives.backend());
        full.setWriteBudget('E', budget);
        SCOPED_TRACE("budget " + std::to_string(budget));
        EXPECT_EQ(WriteSelectedToCard(0, rows, card), kCardWriteFailed);
        expectNothingTruncated(designs);
        EXPECT_EQ(sideFiles(), 0);
    }
}

// What once lost data: names the card cannot hold, links, FIFOs, a read-only card, leftovers of
// an interrupted write. Each case ends as `result` with the failures explained as `reasons`.
TEST_F(CardTransfers, WriteRefusesOddNamesLinksAndFifosAndSaysWhy) {
    const Bytes rose = SmallDesign(1), other = SmallDesign(2), outside{9, 9, 9};
    const std::string longName = std::string(240, 'n') + ".kxd";
    drives.addFixed('D');
    const fs::path away = drives.host("D:\\");
    struct Case {
        const char* what;
        std::function<void()> setUp;
        std::vector<std::string> names;  // PC designs written, in this order, as `other`
        TransferResult result;
        Texts reasons;
        std::function<void()> check;
    };
    const std::vector<Case> cases{
        {"names a card cannot hold", [&] {}, {"x:ROSE.kxd", "..\\out\\ROSE.kxd", "ROSE.kxd.", "ROSE.kxd "}, kTransferRan,
         {std::string("x:ROSE.kxd: ") + kCardCannotHoldName, std::string("..\\out\\ROSE.kxd: ") + kCardCannotHoldName,
          std::string("ROSE.kxd.: ") + kCardCannotHoldName, std::string("ROSE.kxd : ") + kCardCannotHoldName},
         [&] { EXPECT_EQ(drives.read("E:\\EmbF5\\ROSE.kxd"), rose); }},
        {"a name of 244 characters", [&] {}, {longName}, kTransferRan, {},
         [&] { EXPECT_EQ(drives.read("E:\\EmbF5\\" + longName), CardForm(other)); }},
        {"a FIFO is never opened", [&] { ASSERT_EQ(::mkfifo(drives.host("C:\\designs\\F.kxd").c_str(), 0666), 0); }, {"F.kxd"},
         kTransferRan, {"F.kxd: Is a FIFO"}, [&] {}},
        {"a thumbnail linked outside", [&] { fs::create_symlink(away / "file", drives.host("E:\\EmbF5") / "B.kxt"); }, {"B.kxd"}, kCardWriteFailed,
         {"E:\\EmbF5\\B.kxt: Is a link"}, [&] { EXPECT_FALSE(drives.exists("E:\\EmbF5\\B.kxd")); }},
        {"leftovers of interrupted writes", [&] {
             drives.write("E:\\EmbF5\\~KX0000ABCD.tmp", outside);
             drives.write("E:\\EmbF5\\ROSE.kxd.kxcopy-77", outside);
         }, {"B.kxd"}, kTransferRan, {}, [&] { EXPECT_EQ(sideFiles(), 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetFolders();
        for (const auto& entry : fs::directory_iterator(away)) fs::remove_all(entry);
        drives.write("D:\\file", outside);
        cardDesign("ROSE.kxd", rose);
        c.setUp();
        std::vector<ListRow> rows;
        for (const std::string& name : c.names) {
            if (FatVolumeCanHoldName(name) && name != "F.kxd") drives.write("C:\\designs\\" + name, other);
            rows.push_back({name, "C:\\designs\\" + name, true});
        }
        reasons.clear();
        EXPECT_EQ(WriteSelectedToCard(0, rows, card, explaining()), c.result);
        EXPECT_EQ(reasons, c.reasons);
        EXPECT_EQ(drives.read("D:\\file"), outside);
        c.check();
    }
    messages.clear();
    resetFolders();
    FaultPlatform readOnly(drives.backend());
    readOnly.setReadOnly('E');
    reasons.clear();
    EXPECT_EQ(WriteSelectedToCard(0, {pcDesign("A.kxd", rose)}, card, explaining()), kCardWriteFailed);
    EXPECT_EQ(reasons, Texts{"E:\\EmbF5\\A.kxd: Read-only file system"});
}

TEST_F(CardTransfers, ReadAndEraseNeverGoThroughALink) {
    drives.addFixed('D');
    drives.write("D:\\away.kxd", Bytes{9});
    const fs::path away = drives.host("D:\\away.kxd");
    fs::create_symlink(away, drives.host("E:\\EmbF5") / "L.kxd");
    cardDesign("A.kxd", Bytes{1});
    fs::create_symlink(away, drives.host("C:\\designs") / "A.kxd");
    TransferObserver observer = explaining();
    std::vector<ListRow> rows{{"A.kxd", "E:\\EmbF5\\A.kxd", true}, {"L.kxd", "E:\\EmbF5\\L.kxd", true}};
    EXPECT_EQ(ReadSelectedFromCard(0, rows, card, "C:\\designs\\", observer), kTransferRan);
    messages.answer(id::YES);
    EXPECT_EQ(EraseSelectedFromCard(0, {rows[1]}, card, observer), kTransferRan);
    EXPECT_EQ(reasons, (Texts{"C:\\designs\\A.kxd: Is a link", "E:\\EmbF5\\L.kxd: Is a link"}));
    EXPECT_EQ(messages.texts(), (Texts{"Failed to Read Kxd files.\nTry again.",
                                       "Are you sure you want to delete the selected designs from the ATA PC Card?",
                                       "Failed to erase Kxd files.\nTry again."}));
    EXPECT_TRUE(fs::is_symlink(drives.host("E:\\EmbF5") / "L.kxd"));
    EXPECT_EQ(drives.read("D:\\away.kxd"), Bytes{9});
}

TEST_F(CardTransfers, ReadCopiesTheTickedRowsTheFolderStillHolds) {
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
    ASSERT_EQ(messages.texts(), Texts{"Failed to Read Kxd files.\nTry again."});
    EXPECT_EQ(messages.shown()[0].caption, "Confirm");
    EXPECT_EQ(messages.shown()[0].flags, mb::ICONQUESTION);
    EXPECT_EQ(watch.flushedVolumes(), "C");

    // Rows beyond the number of designs in the folder are not visited.
    messages.clear();
    rows = {rows[0], rows[2], {"X.kxd", "E:\\EmbF5\\X.kxd", true}};
    fs::remove(drives.host("E:\\EmbF5\\D.kxd"));
    fs::remove(drives.host("E:\\EmbF5\\B.kxd"));
    EXPECT_EQ(ReadSelectedFromCard(0, rows, card, "C:\\designs\\"), kTransferRan);
    EXPECT_TRUE(messages.shown().empty());
    EXPECT_EQ(ReadSelectedFromCard(0, {{"A.kxd", "E:\\EmbF5\\A.kxd", false}}, card, "C:\\"), kNothingDone);
}

TEST_F(CardTransfers, EraseAsksFirstThenDeletesDesignsWithTheirThumbnails) {
    std::vector<ListRow> rows{cardDesign("A.kxd", Bytes{1}), cardDesign("B.kxd", Bytes{2}),
                              cardDesign("C.kxd", Bytes{3}, false)};
    drives.write("E:\\EmbF5\\A.kxt", Bytes{9});
    messages.answer(id::NO);
    EXPECT_EQ(EraseSelectedFromCard(0, rows, CardTarget{std::nullopt, "E:\\"}), kNothingDone);
    EXPECT_EQ(messages.texts(), Texts{"Are you sure you want to delete the selected designs from the ATA PC Card?"});
    EXPECT_EQ(messages.shown()[0].flags, mb::YESNO | mb::ICONQUESTION);
    EXPECT_EQ(cardDesignCount(), 3);

    messages.answer(id::YES);
    FaultPlatform watch(drives.backend());
    EXPECT_EQ(EraseSelectedFromCard(0, rows, card), kTransferRan);
    EXPECT_EQ(messages.shown().size(), 2u);  // the two questions: B's missing thumbnail is no error
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\A.kxt"));
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\B.kxd"));
    EXPECT_EQ(cardDesignCount(), 1);
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

TEST_F(CardTransfers, ReadAndEraseSurviveAFailureAtEveryOperation) {
    auto fill = [&] {
        drives.write("E:\\EmbF5\\A.kxd", Bytes(300, 1));
        drives.write("E:\\EmbF5\\A.kxt", Bytes(60, 2));
        drives.write("E:\\EmbF5\\B.kxd", Bytes(500, 3));
        return std::vector<ListRow>{{"A.kxd", "E:\\EmbF5\\A.kxd", true}, {"B.kxd", "E:\\EmbF5\\B.kxd", true}};
    };
    atEveryFailure([&] { return ReadSelectedFromCard(0, fill(), card, "C:\\designs\\"); },
                   [&](const FaultPlatform& f) {
                       for (const char* n : {"A.kxd", "B.kxd"}) {
                           std::string pc = std::string("C:\\designs\\") + n;
                           if (drives.exists(pc)) {
                               EXPECT_EQ(drives.read(pc), drives.read(std::string("E:\\EmbF5\\") + n));
                           }
                       }
                       if (!Failed(f, "open \\\\.\\")) {
                           EXPECT_EQ(f.flushedVolumes(), "C");
                       }
                   });
    atEveryFailure([&] {
                       messages.answer(id::YES);
                       return EraseSelectedFromCard(0, fill(), card);
                   },
                   [&](const FaultPlatform& f) {
                       if (drives.exists("E:\\EmbF5\\B.kxd")) {
                           EXPECT_EQ(drives.read("E:\\EmbF5\\B.kxd"), Bytes(500, 3));
                       }
                       if (!Failed(f, "open \\\\.\\")) {
                           EXPECT_EQ(f.flushedVolumes(), "E");
                       }
                   });
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

    fillCardFolder(100);
    EXPECT_EQ(WriteHostDesign(0, host, "NEW.kxd", card), kNothingDone);
    EXPECT_EQ(messages.texts(), Texts{kFolderFull});
    EXPECT_EQ(WriteHostDesign(0, host, "D3.kxd", card), kTransferRan);  // an overwrite is allowed
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
    Bytes b = drives.read("C:\\designs\\B.kxd");  // normalised in place, its stale mark cleared
    EXPECT_EQ(b[0x16], 0);
    EXPECT_EQ(drives.read("E:\\EmbF5\\ROSEB.kxd"), b);
    EXPECT_EQ(drives.read("C:\\designs\\A1.kxd")[0x16], 'A');
    EXPECT_EQ(watch.flushedVolumes(), "E");
}

TEST_F(CardTransfers, ListFileSizesLimitsAndErrors) {
    pcDesign("A.kxd", SmallDesign(1));
    pcDesign("B.kxd", SmallDesign(2));
    Bytes list = ListFile({"C:\\designs\\A.kxd"});
    list.pop_back();  // 259 bytes: no whole record, nothing written, the card still flushed
    drives.write("C:\\short.dat", list);
    drives.write("C:\\empty.dat", {});
    {
        FaultPlatform watch(drives.backend());
        EXPECT_EQ(WriteListedFiles(0, "C:\\short.dat", "X.kxd", card), kTransferRan);
        EXPECT_EQ(watch.flushedVolumes(), "E");
        EXPECT_EQ(WriteListedFiles(0, "C:\\empty.dat", "X.kxd", card), kTransferRan);
        EXPECT_EQ(WriteListedFiles(0, "C:\\missing.dat", "X.kxd", card), kTransferRan);
        EXPECT_EQ(watch.flushedVolumes(), "E");
    }
    EXPECT_EQ(cardDesignCount(), 0);
    EXPECT_EQ(messages.texts(), (Texts{"File Open Error.", "File Open Error."}));

    // A record with no terminator is taken as its 260 bytes: it names no file.
    messages.clear();
    drives.write("C:\\unterminated.dat", Bytes(260, 'a'));
    EXPECT_EQ(WriteListedFiles(0, "C:\\unterminated.dat", "X.kxd", card), kNothingDone);
    EXPECT_EQ(messages.texts(), Texts{"There is an error in a file.\nQuit operation."});

    messages.clear();
    fillCardFolder(99);
    drives.write("C:\\list.dat", ListFile({"C:\\designs\\A.kxd", "C:\\designs\\B.kxd"}));
    EXPECT_EQ(WriteListedFiles(0, "C:\\list.dat", "", card), kNothingDone);
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\A.kxd"));
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\B.kxd"));
    EXPECT_EQ(messages.texts(), Texts{kFolderFull});
}

TEST_F(CardTransfers, DirectWritesSurviveAFailureAtEveryOperation) {
    Bytes design = SmallDesign();
    Bytes inMemory = design, onDisk = design;  // how a host design and a listed file are adjusted
    NormalizeHoopFieldsInMemory(inMemory);
    NormalizedHoopFields(*DesignHeader::parse(design))->storeInto(onDisk);
    auto wholeOrNothing = [&](const std::string& cardFile, const Bytes& whole) {
        if (drives.exists(cardFile)) {
            EXPECT_EQ(drives.read(cardFile), whole);
        }
        std::string thumb = ReplaceExtension(cardFile, "kxt");
        if (drives.exists(thumb)) {
            EXPECT_EQ(drives.read(thumb), ThumbnailOf(whole));
        }
    };
    atEveryFailure([&] {
                       Bytes host = design;
                       return WriteHostDesign(0, host, "HOST.kxd", card);
                   },
                   [&](const FaultPlatform&) { wholeOrNothing("E:\\EmbF5\\HOST.kxd", inMemory); });
    atEveryFailure([&] {
                       drives.write("C:\\designs\\A.kxd", design);
                       drives.write("C:\\list.dat", ListFile({"C:\\designs\\A.kxd"}));
                       return WriteListedFiles(0, "C:\\list.dat", "R.kxd", card);
                   },
                   [&](const FaultPlatform&) {
                       Bytes listed = drives.read("C:\\designs\\A.kxd");  // adjusted in place, never cut
                       EXPECT_TRUE(listed == design || listed == onDisk);
                       wholeOrNothing("E:\\EmbF5\\RA.kxd", listed);
                   });
    for (std::uint64_t budget : {std::uint64_t{10}, std::uint64_t{design.size() + 5}}) {
        FaultPlatform full(drives.backend());
        full.setWriteBudget('E', budget);
        Bytes host = design;
        EXPECT_EQ(WriteHostDesign(0, host, "FULL.kxd", card), kCardWriteFailed);
        EXPECT_FALSE(drives.exists("E:\\EmbF5\\FULL.kxd"));
        EXPECT_FALSE(drives.exists("E:\\EmbF5\\FULL.kxt"));
    }
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
}

}  // namespace
}  // namespace kx
