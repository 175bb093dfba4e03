// The card commands on real card and PC folders: a user's write, read and erase with the
// messages in order, the hundred-design limit, and a failure at every file operation.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include <sys/stat.h>

#include "card/order_file.h"

#include "platform/code_page.h"
#include "platform/paths.h"
#include "support/code_page_932.h"
#include "support/design_builder.h"
#include "support/refused_names.h"
#include "support/fault_platform.h"
#include "support/scripted_messages.h"
#include "support/test_drives.h"
#include "support/thumbnail_expected.h"
#include "transfer/card_transfers.h"
#include "transfer/design_lists.h"
#include "transfer/names.h"

namespace kx {
namespace {

namespace fs = std::filesystem;
using test::DesignBuilder;
using test::FaultPlatform;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;
using Files = std::map<std::string, Bytes>;

const char* const kFolderFull = "100 designs have been registered.\nNo more design can be registered.";
const char* const kEraseQuestion = "Are you sure you want to delete the selected designs from the ATA PC Card?";

// A test design as the PC holds it; as a listed file is adjusted in place (hoop fields, pair
// mark); as the main write stores it (converted too); as the host's design is stored.
enum class Form { Pc, Listed, Card, Host };

// Hoop code 0, extents 100, 80, 0, 0: hoop C (1) by the PC rule, A(F) (3) by the host's, the
// margins to A(F) 630 and 550 less each extent. It starts with a stitch (the card form gains a
// zero move) and changes colour with a displacement (split into a zero change and a move).
Bytes SmallDesign(int variant, Form form = Form::Pc) {
    const bool card = form == Form::Card;
    DesignBuilder b = DesignBuilder().colors({3, 7});
    if (card) b.move(0, 0);
    b.stitches(3 + variant, 12, 0);
    if (card) b.colorChange().move(12, 0);
    else b.colorChange(12, 0);
    b.stitches(2, 12, 0).end().extents(100, 80, 0, 0);
    if (form != Form::Pc) b.hoopCode(form == Form::Host ? 3 : 1).margins(530, 470, 630, 550);
    return b.bytes();
}

// Threads 3 and 7 draw 0xFB and 0xB8; the first stitch after a start or a move draws nothing, nor
// does a line's end pixel. Hoop C is drawn 17 * 100 / 138 = 12 units a pixel from (15, 15): the
// card form's stitches 12 units apart fill row 15 from column 16, then the move leaves a gap.
Bytes SmallThumbnail(int variant, Form form) {
    const int k = 3 + variant;
    if (form == Form::Card)
        return test::WrittenThumbnail(1, 0, 0, test::DrawnRow(15, 17 + k, 17 + k, 0xB8, test::DrawnRow(15, 16, 14 + k, 0xFB)));
    // Unconverted, hoop 0 (18 units from (20, 20)) and hoop 3 (18 units from (23, 20)): the
    // colour change's displacement draws as a stitch.
    if (form == Form::Pc && variant == 1)
        return test::WrittenThumbnail(0, 0, 0, test::DrawnRow(20, 22, 23, 0xB8, test::DrawnRow(20, 20, 21, 0xFB)));
    if (form == Form::Host && variant == 4)
        return test::WrittenThumbnail(3, 0, 0, test::DrawnRow(20, 27, 28, 0xB8, test::DrawnRow(20, 23, 26, 0xFB)));
    return {};  // no other is written down
}

// Pair mark B (0x42 0x11), ten stitches 12 units apart: hoop C with margins 510, 550, 630, 550;
// the card form gains a zero move. Its thumbnail fills row 15 from column 16 to 24 in 0xFB.
Bytes Marked(Form form, bool keepMark = true) {
    DesignBuilder b = DesignBuilder().colors({3}).pairMark(keepMark ? 'B' : 0, keepMark ? 0x11 : 0);
    if (form == Form::Card) b.move(0, 0);
    b.stitches(10, 12, 0).end();
    if (form != Form::Pc) b.hoopCode(1).margins(510, 550, 630, 550);
    return b.bytes();
}
const Bytes kMarkedThumbnail = test::WrittenThumbnail(1, 0, 0, test::DrawnRow(15, 16, 24, 0xFB));

Bytes ListFile(std::string path) { path.resize(260); return Bytes(path.begin(), path.end()); }  // one 260-byte record

// A message of the commands' (owner 0) as ScriptedMessages::take gives it.
std::string Shown(const std::string& caption, unsigned flags, const std::string& text) {
    return "0 " + std::to_string(flags) + " " + caption + ": " + text;
}

class CardTransfers : public ::testing::Test {
protected:
    void SetUp() override {
        drives.addCard('E');
        drives.addFixed('C');
        resetFolders();
    }
    void resetFolders() {
        for (const char* folder : {"E:\\EmbF5", "C:\\designs"}) {
            fs::remove_all(drives.host(folder));
            drives.makeDir(folder);
        }
    }
    ListRow pcDesign(const std::string& name, const Bytes& bytes, bool ticked = true) {
        drives.write("C:\\designs\\" + name, bytes);
        return {name, "C:\\designs\\" + name, ticked};
    }
    // The files in these folders by path.
    Files files(std::initializer_list<std::string> folders = {"E:\\EmbF5\\", "C:\\designs\\"}) {
        Files out;
        for (const std::string& folder : folders)
            for (const auto& entry : fs::directory_iterator(drives.host(folder)))
                if (std::string path = folder + entry.path().filename().string(); entry.is_regular_file()) out[path] = drives.read(path);
        return out;
    }
    test::TestDrives drives;
    test::ScriptedMessages messages;
    CardTarget card{"E:\\EmbF5\\", "E:\\"};
    Texts failures;  // "file: why" of each file the observer was told failed or passed over
    const std::function<void(const std::string&, const std::string&)> record = [this](const std::string& file, const std::string& why) {
        failures.push_back(file + ": " + why);
    };
    const TransferObserver observer{{}, {}, record, record};
};

// A user's path: a write into a missing folder, a read, an erase, then the hundred-design limit.
TEST_F(CardTransfers, WriteReadEraseAndTheHundredDesignLimitWithTheirMessagesInOrder) {
    const Bytes rose = SmallDesign(0), tulip = SmallDesign(1), marked = Marked(Form::Pc);
    const Bytes huge = DesignBuilder().move(0, 0).stitches(65540, 1, 0).end().bytes();
    const std::string longName = std::string(240, 'n') + ".kxd", tooLarge = "The design is too large and cannot be sent in this menu.\n";
    const std::vector<ListRow> rows{
        {"sub", "C:\\designs\\sub", false}, pcDesign("ROSE.kxd", rose), pcDesign("TULIP.KXD", tulip),
        pcDesign("LEAF2.kxd", marked), pcDesign("LEAF.kxd", marked), pcDesign(longName, rose),
        pcDesign("ABC.kxd", huge), pcDesign("FLOWERS.kxd", huge),
        pcDesign("WIDE.kxd", DesignBuilder().move(0, 0).stitch(1, 1).end().extents(701, 0, 0, 0).bytes()),
        pcDesign("EDGE.kxd", DesignBuilder().stitch(1, 1).end().recordCount(65534).bytes()),
        pcDesign("notes.txt", rose), pcDesign("SKIP.kxd", rose, false), {"gone.kxd", "C:\\designs\\gone.kxd", true}};
    fs::remove(drives.host("E:\\EmbF5"));
    FaultPlatform watch(drives.backend());
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), TransferResult::Ran);
    EXPECT_EQ(drives.read("C:\\designs\\LEAF.kxd"), marked);
    EXPECT_EQ(messages.take(), (Texts{Shown("Attention", mb::ICONEXCLAMATION, tooLarge + "The pattern (ABC) exceeds the 64000 stitch limit."),
                              Shown("Attention", mb::ICONEXCLAMATION, tooLarge + "The pattern (WERS) exceeds the 64000 stitch limit."),
                              Shown("Attention", mb::ICONINFORMATION, "The \"WIDE\" design exceeds the hoop size limits."),
                              Shown("Attention", mb::ICONEXCLAMATION, "The \"notes.txt\" design is passed over:\nNot named as a design (.kxd).")}));
    // A listed design goes under the prefix of the name, adjusted in place: hoop fields, stale mark.
    drives.write("C:\\list.dat", ListFile("C:\\designs\\LEAF.kxd"));
    EXPECT_EQ(WriteListedFiles(0, "C:\\list.dat", "R.kxd", card), TransferResult::Ran);
    EXPECT_EQ(drives.read("C:\\designs\\LEAF.kxd"), Marked(Form::Listed, false));
    // A pair half keeps its mark, with no thumbnail; another marked design loses it. Names as listed.
    Files onCard;
    const Bytes roseThumbnail = SmallThumbnail(0, Form::Card);
    for (const auto& [name, form, thumbnail] :
         {std::tuple{std::string("ROSE.kxd"), SmallDesign(0, Form::Card), roseThumbnail},
          {"TULIP.KXD", SmallDesign(1, Form::Card), SmallThumbnail(1, Form::Card)}, {"LEAF2.kxd", Marked(Form::Card), Bytes{}},
          {"LEAF.kxd", Marked(Form::Card, false), kMarkedThumbnail}, {"RLEAF.kxd", Marked(Form::Listed, false), kMarkedThumbnail},
          {longName, SmallDesign(0, Form::Card), roseThumbnail}}) {
        onCard["E:\\EmbF5\\" + name] = form;
        if (!thumbnail.empty()) onCard[ReplaceExtension("E:\\EmbF5\\" + name, "kxt")] = thumbnail;
    }
    EXPECT_EQ(files({"E:\\EmbF5\\"}), onCard);
    EXPECT_EQ(watch.flushedVolumes(), "EE");

    // Read: the ticked rows among as many as the folder holds designs; a copy that cannot land.
    std::vector<ListRow> cardRows = ListDesignFiles(*card.folder);
    for (std::size_t i : {0, 3, 4}) cardRows[i].ticked = true;
    cardRows.push_back({"X.kxd", "E:\\EmbF5\\X.kxd", true});
    drives.makeDir("C:\\back\\ROSE.kxd");
    EXPECT_EQ(ReadSelectedFromCard(0, cardRows, card, "C:\\back\\"), TransferResult::Ran);
    EXPECT_EQ(files({"C:\\back\\"}), (Files{{"C:\\back\\LEAF.kxd", Marked(Form::Card, false)}, {"C:\\back\\TULIP.KXD", SmallDesign(1, Form::Card)}}));
    EXPECT_EQ(messages.take(), Texts{Shown("Confirm", mb::ICONQUESTION, "Failed to Read Kxd files.\nTry again.")});
    EXPECT_EQ(watch.flushedVolumes(), "EEC");

    // Erase: No keeps everything; Yes takes designs with their thumbnails, a missing one is no
    // error; a name that leads out of the folder is refused.
    messages.answer(id::NO);
    EXPECT_EQ(EraseSelectedFromCard(0, cardRows, card), TransferResult::NothingDone);
    std::swap(cardRows[1].ticked, cardRows[3].ticked);  // LEAF2 instead of ROSE
    cardRows[5] = {"..\\EmbF5\\ROSE.kxd", "E:\\EmbF5\\ROSE.kxd", true};
    messages.answer(id::YES);
    EXPECT_EQ(EraseSelectedFromCard(0, cardRows, card), TransferResult::Ran);
    const std::string question = Shown("Confirm", mb::YESNO | mb::ICONQUESTION, kEraseQuestion);
    EXPECT_EQ(messages.take(), (Texts{question, question, Shown("Attention", mb::ICONEXCLAMATION, "The \"..\\EmbF5\\ROSE.kxd\" design is passed over:\n" +
                                                                      std::string(kCardCannotHoldName) + ".")}));
    for (const char* gone : {"LEAF.kxd", "LEAF.kxt", "LEAF2.kxd", "TULIP.KXD", "TULIP.kxt"}) onCard.erase(std::string("E:\\EmbF5\\") + gone);
    EXPECT_EQ(files({"E:\\EmbF5\\"}), onCard);
    EXPECT_EQ(watch.flushedVolumes(), "EECE");
    // A folder rename reaches the order file and, like the others, the card's volume is flushed.
    OrderFile order;
    EXPECT_EQ(ApplyFolderRename(0, "E:\\", 2, "Roses", order), 1);
    EXPECT_EQ(order.displayName(2), "Roses");
    EXPECT_EQ(watch.flushedVolumes(), "EECEE");

    // With 99 designs an overwrite does not count and the hundredth ends the write; then the limit
    // comes before even an overwrite, except for the host's design, which takes no leftovers along.
    for (int i = 0; i < 96; ++i) drives.write("E:\\EmbF5\\D" + std::to_string(i) + ".kxd", Bytes{1});
    EXPECT_EQ(WriteSelectedToCard(0, {rows[1], rows[2], rows[4]}, card), TransferResult::Ran);
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\TULIP.KXD") && !drives.exists("E:\\EmbF5\\LEAF.kxd"));
    Bytes host = SmallDesign(4);
    EXPECT_EQ(WriteSelectedToCard(0, {rows[1]}, card), TransferResult::Ran);
    EXPECT_EQ(WriteHostDesign(0, host, "NEW.kxd", card), TransferResult::NothingDone);
    // Our side files go (this process's and another's); the user's files that merely look like them stay.
    for (const std::string& leftover : {CopySideFileName(), std::string("~KX0000BEEF7725097E.TMP"), std::string("~kxdeadbeef.tmp"),
                                       std::string("ROSE.kxcopy-12")})
        drives.write("E:\\EmbF5\\" + leftover, {9});
    EXPECT_EQ(WriteHostDesign(0, host, "ROSE.kxd", card), TransferResult::Ran);
    EXPECT_EQ(messages.take(), Texts(3, Shown("Attention", mb::ICONHAND, kFolderFull)));
    onCard = files({"E:\\EmbF5\\"});
    EXPECT_EQ(onCard.size(), 106u);  // 100 designs, 4 thumbnails, the user's two files
    EXPECT_TRUE(onCard.contains("E:\\EmbF5\\~kxdeadbeef.tmp") && onCard.contains("E:\\EmbF5\\ROSE.kxcopy-12"));
    EXPECT_EQ(onCard["E:\\EmbF5\\ROSE.kxd"], SmallDesign(4, Form::Host));
    EXPECT_EQ(onCard["E:\\EmbF5\\ROSE.kxt"], SmallThumbnail(4, Form::Host));
}

// Each command on the `start` files, cleanly, then failing at each file operation in turn, then on a
// card full after every 97 bytes it writes there. Each file ends as before, as after the clean run
// or as in `alsoWhole`; designs and thumbnails come in pairs; side files stay only where a delete
// failed; `flushed` is flushed unless that failed; on a full card TransferResult::Ran means all landed.
TEST_F(CardTransfers, EveryCommandLeavesWholeFilesAtEveryFailureAndOnAFullCard) {
    // The card's A is overwritten whole or not at all.
    const Files start{{"C:\\designs\\A.kxd", SmallDesign(1)}, {"C:\\designs\\B.kxd", SmallDesign(2)},
                      {"C:\\list.dat", ListFile("C:\\designs\\A.kxd")}, {"E:\\EmbF5\\A.kxd", Bytes(100, 4)},
                      {"E:\\EmbF5\\X.kxd", Bytes(300, 1)}, {"E:\\EmbF5\\X.kxt", Bytes(60, 2)}, {"E:\\EmbF5\\Y.kxd", Bytes(500, 3)}};
    const std::vector<ListRow> pcRows{{"A.kxd", "C:\\designs\\A.kxd", true}, {"B.kxd", "C:\\designs\\B.kxd", true}};
    const std::vector<ListRow> cardRows{{"X.kxd", "E:\\EmbF5\\X.kxd", true}, {"Y.kxd", "E:\\EmbF5\\Y.kxd", true}};
    // A listed file whose adjustment in place failed goes to the card as it is.
    const Files listedAsItIs{{"E:\\EmbF5\\RA.kxd", SmallDesign(1)}, {"E:\\EmbF5\\RA.kxt", SmallThumbnail(1, Form::Pc)}};
    struct Command { const char* what; std::function<TransferResult()> run; const char* flushed; Files alsoWhole; };
    const Command commands[] = {
        {"write", [&] { return WriteSelectedToCard(0, pcRows, card); }, "E", {}},
        {"host's design", [&] { Bytes host = SmallDesign(3); return WriteHostDesign(0, host, "HOST.kxd", card); }, nullptr, {}},
        {"listed files", [&] { return WriteListedFiles(0, "C:\\list.dat", "R.kxd", card); }, nullptr, listedAsItIs},
        {"read", [&] { return ReadSelectedFromCard(0, cardRows, card, "C:\\designs\\"); }, "C", {}},
        {"erase", [&] { messages.answer(id::YES); return EraseSelectedFromCard(0, cardRows, card); }, "E", {}}};
    auto fresh = [&] {
        resetFolders();
        for (const auto& [path, bytes] : start) drives.write(path, bytes);
        return files();
    };
    for (const Command& c : commands) {
        SCOPED_TRACE(c.what);
        const Files before = fresh();
        const int operations = [&] {
            FaultPlatform count(drives.backend());
            EXPECT_EQ(c.run(), TransferResult::Ran);
            return count.operationCount();
        }();
        const Files clean = files();
        auto run = [&](const std::string& what, const std::function<void(FaultPlatform&)>& inject) {
            fresh();
            FaultPlatform fault(drives.backend());
            inject(fault);
            TransferResult result = c.run();
            SCOPED_TRACE(what + fault.failedOperation());
            if (c.flushed && !fault.failedOperation().starts_with("open \\\\.\\")) { EXPECT_EQ(fault.flushedVolumes(), c.flushed); }
            const Files now = files();
            if (fault.failedOperation().empty()) { EXPECT_EQ(result == TransferResult::Ran, now == clean); }
            const bool deleteFailed = fault.failedOperation().starts_with("delete");
            for (const auto& [path, bytes] : now) {
                auto holds = [&](const Files& in) { return in.contains(path) && in.at(path) == bytes; };
                std::string other = ReplaceExtension(path, path.ends_with(".kxd") ? "kxt" : "kxd");
                if (IsCopySideFileName(FileNamePart(path))) { EXPECT_TRUE(deleteFailed) << path; continue; }
                EXPECT_TRUE(holds(before) || holds(clean) || holds(c.alsoWhole)) << path;
                if (!before.contains(path) && clean.contains(other) && !deleteFailed) { EXPECT_TRUE(now.contains(other)) << path; }
            }
        };
        for (int k = 1; k <= operations; ++k) run("failed: ", [k](FaultPlatform& f) { f.failOperation(k); });
        std::uint64_t written = 0;
        for (const auto& [path, bytes] : clean) written += path.starts_with("E:") && !before.contains(path) ? bytes.size() : 0;
        for (std::uint64_t budget = 0; budget < written; budget += 97)
            run("budget " + std::to_string(budget), [budget](FaultPlatform& f) { f.setWriteBudget('E', budget); });
        messages.take();
    }
}

// A long list: one cut short while it is written still has every record it holds whole written
// (the list is read many records at a time), then "File Read Error."; with the folder full, a
// listed design is written over a card file of its name, even one spelled otherwise there, and a
// new name stops the write.
TEST_F(CardTransfers, AListCutShortWhileWrittenAndListedDesignsInAFullFolder) {
    const Bytes a = SmallDesign(0), b = SmallDesign(1), c = SmallDesign(2);
    for (const auto& [name, bytes] : {std::pair{"A.kxd", a}, {"B.kxd", b}, {"C.kxd", c}, {"N.kxd", a}}) pcDesign(name, bytes);
    auto list = [&](std::initializer_list<const char*> names, int records) {
        Bytes out;
        for (int i = 0; i < records; ++i) {
            Bytes record = ListFile(std::string("C:\\designs\\") + names.begin()[i % names.size()]);
            out.insert(out.end(), record.begin(), record.end());
        }
        drives.write("C:\\list.dat", out);
    };
    for (int i = 0; i < 97; ++i) drives.write("E:\\EmbF5\\D" + std::to_string(i) + ".kxd", Bytes{1});
    drives.write("E:\\EmbF5\\rc.KXD", Bytes{2});
    list({"A.kxd", "B.kxd"}, 300);
    std::size_t handed = 0;
    const TransferObserver cutting{{}, [&](std::size_t done, std::size_t, const std::string&) {
        if (done == 1) fs::resize_file(drives.host("C:\\list.dat"), 200 * 260 + 259);
        handed = done + 1;
    }, {}, {}};
    EXPECT_EQ(WriteListedFiles(0, "C:\\list.dat", "R.kxd", card, cutting), TransferResult::Ran);
    EXPECT_EQ(handed, 200u);
    EXPECT_EQ(messages.take(), Texts{Shown("Error", mb::ICONHAND, "File Read Error.")});
    EXPECT_TRUE(drives.read("E:\\EmbF5\\RA.kxd") == SmallDesign(0, Form::Listed) &&
                drives.read("E:\\EmbF5\\RB.kxd") == SmallDesign(1, Form::Listed));

    list({"C.kxd", "N.kxd"}, 2);
    EXPECT_EQ(WriteListedFiles(0, "C:\\list.dat", "R.kxd", card), TransferResult::NothingDone);
    EXPECT_EQ(messages.take(), Texts{Shown("Attention", mb::ICONHAND, kFolderFull)});
    EXPECT_EQ(drives.read("E:\\EmbF5\\rc.KXD"), SmallDesign(2, Form::Listed));
    EXPECT_FALSE(drives.exists("E:\\EmbF5\\RN.kxd"));
    EXPECT_EQ(files({"E:\\EmbF5\\"}).size(), 103u);  // 100 designs, 3 thumbnails
}

// What stands at a PC path instead of a design file (a FIFO, a device through a link) is never
// read as one by any write: the main write passes it over with the reason, a listed one stops the
// direct write with the list's own refusal, and nothing waits for a writer that never comes.
TEST_F(CardTransfers, FifosAndDevicesAreNeverReadAsDesigns) {
    const Bytes rose = SmallDesign(0);
    const ListRow roseRow = pcDesign("ROSE.kxd", rose);
    ASSERT_EQ(::mkfifo(drives.host("C:\\designs\\FIFO.kxd").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", drives.host("C:\\designs\\NULL.kxd"));
    const std::vector<ListRow> rows{{"FIFO.kxd", "C:\\designs\\FIFO.kxd", true}, {"NULL.kxd", "C:\\designs\\NULL.kxd", true}, roseRow};
    EXPECT_EQ(WriteSelectedToCard(0, rows, card, observer), TransferResult::Ran);
    EXPECT_EQ(failures, (Texts{"FIFO.kxd: Is a FIFO", "NULL.kxd: Is a device"}));
    const Files written{{"E:\\EmbF5\\ROSE.kxd", SmallDesign(0, Form::Card)}, {"E:\\EmbF5\\ROSE.kxt", SmallThumbnail(0, Form::Card)}};
    EXPECT_EQ(files({"E:\\EmbF5\\"}), written);
    for (const char* listed : {"C:\\designs\\FIFO.kxd", "C:\\designs\\NULL.kxd"}) {
        drives.write("C:\\list.dat", ListFile(listed));
        EXPECT_EQ(WriteListedFiles(0, "C:\\list.dat", "R.kxd", card), TransferResult::NothingDone) << listed;
    }
    // The list file itself.
    EXPECT_EQ(WriteListedFiles(0, "C:\\designs\\FIFO.kxd", "R.kxd", card), TransferResult::Ran);
    const std::string listRefusal = Shown("Error", mb::ICONHAND, "There is an error in a file.\nQuit operation.");
    EXPECT_EQ(messages.take(), (Texts{listRefusal, listRefusal, Shown("Error", mb::ICONHAND, "File Open Error.")}));
    EXPECT_EQ(files({"E:\\EmbF5\\"}), written);
}

// A name the card cannot take is refused before anything is written or adjusted: a design named
// as its own thumbnail or as a device, and a path on the card over 259 characters (the design's,
// its thumbnail's or the side file's beside them). The direct writes end as a failed write; the
// main write passes the row over and writes the rest, a name that just fits included.
TEST_F(CardTransfers, NamesTheCardCannotTakeAreRefusedBeforeAnythingIsWritten) {
    const Bytes rose = SmallDesign(0), marked = Marked(Form::Pc);
    drives.write("E:\\EmbF5\\ROSE.kxd", rose);
    drives.write("E:\\EmbF5\\ROSE.kxt", Bytes(1020, 7));
    const std::string deep = "E:\\" + std::string(240, 'd') + "\\";  // 244 characters: "A.kxd" fits, the side file not
    drives.makeDir(deep);
    drives.write("C:\\designs\\M.kxd", marked);
    drives.write("C:\\list.dat", ListFile("C:\\designs\\M.kxd"));
    const std::string& fits = test::kLongestNameForCard;
    const std::string& tooLong = test::kNameTooLongForCard;
    const std::string prefix = std::string(247, 'p') + ".kxd";  // p...pM.kxd: 9 + 252
    const Files before = files({"E:\\EmbF5\\", deep});
    std::vector<std::pair<std::string, CardTarget>> hostNames;
    for (const std::string& name : test::kOwnThumbnailNames) hostNames.push_back({name, card});
    for (const std::string& device : test::kDeviceFileNames) hostNames.push_back({device, card});
    hostNames.insert(hostNames.end(), {{tooLong, card}, {"A.kxd", CardTarget{deep, "E:\\"}}});
    for (const auto& [name, target] : hostNames) {
        Bytes host = SmallDesign(1);
        EXPECT_EQ(WriteHostDesign(0, host, name, target, observer), TransferResult::CardWriteFailed) << name;
    }
    EXPECT_EQ(WriteListedFiles(0, "C:\\list.dat", prefix, card, observer), TransferResult::CardWriteFailed);
    EXPECT_EQ(drives.read("C:\\designs\\M.kxd"), marked);  // its stale pair mark not even cleared
    EXPECT_EQ(files({"E:\\EmbF5\\", deep}), before);
    const std::string tooLongForCard = "The name is too long for the card: its path there would pass 259 characters";
    const std::string ownThumbnail = "The design would have the name of its own thumbnail (.kxt)";
    const std::string device = "Windows takes this name for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9)";
    Texts refused;
    for (const std::string& name : test::kOwnThumbnailNames) refused.push_back("E:\\EmbF5\\" + name + ": " + ownThumbnail);
    for (const std::string& name : test::kDeviceFileNames) refused.push_back("E:\\EmbF5\\" + name + ": " + device);
    refused.insert(refused.end(), {"E:\\EmbF5\\" + tooLong + ": " + tooLongForCard, deep + "A.kxd: " + tooLongForCard,
                                   "E:\\EmbF5\\" + prefix.substr(0, 247) + "M.kxd: " + tooLongForCard});
    EXPECT_EQ(failures, refused);
    failures.clear();
    EXPECT_EQ(WriteSelectedToCard(0, {pcDesign(tooLong, rose), pcDesign("nul.kxd", rose), pcDesign(fits, rose)}, card, observer), TransferResult::Ran);
    EXPECT_EQ(failures, (Texts{tooLong + ": " + tooLongForCard, "nul.kxd: " + device}));
    Files after = before;
    after["E:\\EmbF5\\" + fits] = SmallDesign(0, Form::Card);
    after[ReplaceExtension("E:\\EmbF5\\" + fits, "kxt")] = SmallThumbnail(0, Form::Card);
    EXPECT_EQ(files({"E:\\EmbF5\\", deep}), after);
    EXPECT_EQ(messages.take(), Texts{});
}

// While the write's "too large" message waits, a nested call of ours stores two designs in the
// folder of 98: answered, the write counts the folder again and stops at 100 with the limit's
// message, where its own count (98) would have stored two more.
TEST_F(CardTransfers, TheHundredDesignLimitHoldsWhateverChangesWhileAMessageWaits) {
    for (int i = 0; i < 98; ++i) drives.write("E:\\EmbF5\\D" + std::to_string(i) + ".kxd", Bytes{1});
    const Bytes huge = DesignBuilder().move(0, 0).stitches(65540, 1, 0).end().bytes();
    const std::vector<ListRow> rows{pcDesign("HUGE.kxd", huge), pcDesign("ROSE.kxd", SmallDesign(0)), pcDesign("TULIP.kxd", SmallDesign(1))};
    drives.write("C:\\designs\\N1.kxd", SmallDesign(2)), drives.write("C:\\designs\\N2.kxd", SmallDesign(3));
    Bytes list = ListFile("C:\\designs\\N1.kxd"), second = ListFile("C:\\designs\\N2.kxd");
    list.insert(list.end(), second.begin(), second.end());
    drives.write("C:\\list.dat", list);
    messages.whileNextWaits([&] { EXPECT_EQ(WriteListedFiles(0, "C:\\list.dat", "X.kxd", card), TransferResult::Ran); });
    EXPECT_EQ(WriteSelectedToCard(0, rows, card), TransferResult::Ran);
    EXPECT_EQ(messages.take(), (Texts{Shown("Attention", mb::ICONEXCLAMATION,
                                            "The design is too large and cannot be sent in this menu.\nThe pattern (HUGE) exceeds the 64000 stitch limit."),
                                      Shown("Attention", mb::ICONHAND, kFolderFull)}));
    EXPECT_EQ(platform().find("E:\\EmbF5\\*.kxd").size(), 100u);
    EXPECT_TRUE(drives.exists("E:\\EmbF5\\XN2.kxd") && !drives.exists("E:\\EmbF5\\ROSE.kxd"));
}

// Host bytes shorter than a design's header, or a whole header counting records the bytes do not
// hold, are refused as a design the checks refuse, and nothing reaches the card.
TEST_F(CardTransfers, AHostDesignCutShortIsRefusedAndNothingIsWritten) {
    Bytes counted(116, 0);
    counted[0] = 116, counted[0x1C] = 5;  // the stream starts at the end, and counts 5 records
    const Files before = files({"E:\\EmbF5\\"});
    for (Bytes host : {Bytes{}, Bytes{7}, Bytes(60, 1), Bytes(115, 0), counted}) {
        SCOPED_TRACE(host.size());
        EXPECT_EQ(WriteHostDesign(0, host, "HOST.kxd", card), TransferResult::NothingDone);
        EXPECT_EQ(messages.take(), Texts{Shown("Error", mb::ICONHAND, "There is an error in a file.\nQuit operation.")});
        EXPECT_EQ(files({"E:\\EmbF5\\"}), before);
    }
}

// Under code page 932, names whose second bytes are backslashes go through every command whole:
// written with their thumbnails, read back into a folder ending in such a byte, erased, and
// written directly under the host's name or a list's prefix. Nothing is passed over.
TEST_F(CardTransfers, DoubleByteNamesAreWrittenReadAndErasedWhole) {
    using namespace test::cp932;
    CodePage cp932 = test::CodePage932();
    ScopedCodePage inForce(cp932);
    const std::string pc = "C:\\" + kHyoji + "\\", back = "C:\\" + kZuhyo + "\\";
    drives.makeDir(pc), drives.makeDir(back);
    const Texts bases{kIchiranhyo, kSakura, kNoumen};
    std::vector<ListRow> rows;
    Texts onCard;
    for (const std::string& base : bases) {
        drives.write(pc + base + ".kxd", SmallDesign(static_cast<int>(rows.size())));
        rows.push_back({base + ".kxd", pc + base + ".kxd", true});
        onCard.insert(onCard.end(), {base + ".kxd", base + ".kxt"});
    }
    auto cardNames = [&] {
        Texts names;
        for (const auto& entry : fs::directory_iterator(drives.host("E:\\EmbF5"))) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    std::sort(onCard.begin(), onCard.end());
    EXPECT_EQ(WriteSelectedToCard(0, rows, card, observer), TransferResult::Ran);
    EXPECT_EQ(cardNames(), onCard);
    for (ListRow& row : rows) row.path = "E:\\EmbF5\\" + row.name;
    EXPECT_EQ(ReadSelectedFromCard(0, rows, card, back, observer), TransferResult::Ran);
    for (const std::string& base : bases) EXPECT_EQ(drives.read(back + base + ".kxd"), drives.read("E:\\EmbF5\\" + base + ".kxd")) << base;
    messages.answer(id::YES);
    EXPECT_EQ(EraseSelectedFromCard(0, rows, card, observer), TransferResult::Ran);
    EXPECT_EQ(cardNames(), Texts{});

    Bytes host = SmallDesign(0);
    EXPECT_EQ(WriteHostDesign(0, host, "D:\\" + kZuhyo + "\\" + kNoumen + ".kxd", card, observer), TransferResult::Ran);
    drives.write("C:\\list.dat", ListFile(pc + kIchiranhyo + ".kxd"));
    EXPECT_EQ(WriteListedFiles(0, "C:\\list.dat", kHyoji, card, observer), TransferResult::Ran);
    EXPECT_EQ(cardNames(), (Texts{kNoumen + ".kxd", kNoumen + ".kxt", kHyoji + kIchiranhyo + ".kxd", kHyoji + kIchiranhyo + ".kxt"}));
    EXPECT_EQ(failures, Texts{});
    EXPECT_EQ(messages.take(), Texts{Shown("Confirm", mb::YESNO | mb::ICONQUESTION, kEraseQuestion)});
}

}  // namespace
}  // namespace kx
