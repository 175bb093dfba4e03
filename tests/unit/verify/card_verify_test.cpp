// verify on a card the write made, then damaged: each damage alone, and the repairable ones together.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "card/card_layout.h"
#include "platform/paths.h"
#include "support/design_builder.h"
#include "samples/sample_designs.h"
#include "support/fault_platform.h"
#include "support/scripted_messages.h"
#include "support/test_drives.h"
#include "transfer/card_transfers.h"
#include "verify/card_verify.h"

namespace kx {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using P = Problem;
using Found = std::pair<std::string, Problem>;
using Founds = std::vector<Found>;

Bytes ReadHost(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every file below `folder` by its relative path; none when there is no such folder.
std::map<std::string, Bytes> FilesUnder(const fs::path& folder) {
    std::map<std::string, Bytes> out;
    if (!fs::exists(folder)) return out;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) out[entry.path().lexically_relative(folder).string()] = ReadHost(entry.path());
    return out;
}

// What --repair puts right; everything else is only reported.
bool Repairable(Problem p) {
    return p == P::OrderFileDamaged || p == P::DesignTorn || p == P::FolderMissing || p == P::HoopFieldsNotNormalised || p == P::ThumbnailMissing ||
           p == P::ThumbnailDiffers || p == P::ThumbnailWithoutDesign || p == P::PairHalfThumbnail || p == P::CopyLeftover;
}

class CardVerify : public ::testing::Test {
public:  // the damage table reaches in
    // HEART, STAR, CARD and the tandem pair written to a blank card's EmbF5, kept aside to restore.
    void SetUp() override {
        drives.addCard('E'), drives.addFixed('C');
        OrderFile orderFile;
        ASSERT_TRUE(CheckCardLayout(0, "E:\\", orderFile));
        std::vector<ListRow> rows;
        for (const samples::SampleDesign& s : samples::MakeSampleDesigns())
            if (s.fileName != "GIANT.kxd" && s.fileName != "FILL.kxd" && s.fileName != "FLOWER.kxd")
                drives.write("C:\\" + s.fileName, s.bytes), rows.push_back({s.fileName, "C:\\" + s.fileName, true});
        ASSERT_EQ(WriteSelectedToCard(0, rows, {"E:\\EmbF5\\", "E:\\"}), TransferResult::Ran);
        fs::copy(card(), sound, fs::copy_options::recursive);
    }
    void restore() {
        for (const auto& entry : fs::directory_iterator(card())) fs::remove_all(entry.path());
        fs::copy(sound, card(), fs::copy_options::recursive);
    }
    // The repairable damages of the table, all on one card.
    void damageTogether();

    fs::path card() const { return drives.host("E:\\"); }
    Bytes read(const std::string& path) const { return ReadHost(card() / path); }
    // At exactly this spelling, beside any name that differs only in case.
    void write(const std::string& path, const Bytes& b) const {
        std::ofstream(card() / path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::ssize(b));
    }
    void remove(const std::string& path) const { fs::remove_all(card() / path); }
    void patch(const std::string& path, std::size_t at, std::uint32_t value) const {
        Bytes bytes = read(path);
        for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        write(path, bytes);
    }
    // Every file; with `stitchesOnly` the designs' bytes after the header, which no repair may touch.
    std::map<std::string, Bytes> files(bool stitchesOnly = false) const {
        std::map<std::string, Bytes> out = FilesUnder(card());
        if (stitchesOnly) std::erase_if(out, [](const auto& file) { return !file.first.ends_with(".kxd"); });
        for (auto& [path, bytes] : out)
            if (stitchesOnly) bytes.erase(bytes.begin(), bytes.begin() + std::min<std::ptrdiff_t>(116, std::ssize(bytes)));
        return out;
    }
    Founds verify() {
        Founds out;
        for (const Finding& f : VerifyCard("E:\\", {}, false, kSalvage).findings) out.push_back({f.path(), f.problem});
        std::ranges::sort(out);
        return out;
    }
    VerifyReport repair() { return VerifyCard("E:\\", {}, true, kSalvage); }
    // The salvage folder's files by "EmbF5/NAME"; none when it was never made.
    std::map<std::string, Bytes> salvaged() const { return FilesUnder(drives.host(kSalvage)); }

    static inline const std::string kSalvage = "C:\\salvage\\";

    test::TestDrives drives;
    test::ScriptedMessages messages;
    const fs::path sound = drives.root() / "sound";
};

// A damage, what verify finds, and whether it is one of the repairable damages put on one card at once.
struct Damage { const char* name; std::function<void(CardVerify&)> apply; Founds found; bool together = false; };

const std::vector<Damage>& Damages() {
    using T = CardVerify;
    const auto copy = [](std::string from, std::string to) { return [=](T& t) { t.write(to, t.read(from)); }; };
    // n copies of HEART with its thumbnail in EmbF6.
    const auto fill = [](int n) {
        return [n](T& t) {
            for (int i = 0; i < n; ++i)
                for (std::string ext : {".kxd", ".kxt"}) t.write("EmbF6/D" + std::to_string(i) + ext, t.read("EmbF5/HEART" + ext));
        };
    };
    static const std::vector<Damage> damages{
        {"order file cut short, a renamed folder's name still readable",
         [](T& t) {
             Bytes order = t.read("Emb_OrdF.dat");
             std::copy_n("ROSES\0\0\0", 8, order.begin() + 160 + 2 * 12), order.resize(250), t.write("Emb_OrdF.dat", order);
         },
         {{"Emb_OrdF.dat", P::OrderFileDamaged}}, true},
        {"folder in place of the order file", [](T& t) { t.remove("Emb_OrdF.dat"), fs::create_directory(t.card() / "Emb_OrdF.dat"); },
         {{"Emb_OrdF.dat", P::OrderFileBlocked}}},
        {"design folder missing", [](T& t) { t.remove("EmbF9"); }, {{"EmbF9", P::FolderMissing}}, true},
        {"file in place of a design folder", [](T& t) { t.remove("EmbF9"), t.write("EmbF9", {1}); }, {{"EmbF9", P::FolderBlocked}}},
        {"100 designs in a folder", fill(100), {}},
        {"101 designs in a folder", fill(101), {{"EmbF6", P::TooManyDesigns}}},
        // A copy cut off: the repair moves it and its thumbnail off the card, never drawing one from it.
        {"torn designs: empty, cut within its stitches, counting more records than it holds, its stitches "
         "starting past its end",
         [](T& t) {
             t.write("EmbF6/ZERO.kxd", {});
             Bytes heart = t.read("EmbF5/HEART.kxd");
             t.write("EmbF6/FAR.kxd", heart), t.patch("EmbF6/FAR.kxd", 0, static_cast<std::uint32_t>(heart.size() + 2));
             heart.resize(300), t.write("EmbF5/HEART.kxd", heart);
             t.patch("EmbF5/STAR.kxd", 0x1C, static_cast<std::uint32_t>(t.read("EmbF5/STAR.kxd").size()));
         },
         {{"EmbF5/HEART.kxd", P::DesignTorn}, {"EmbF5/STAR.kxd", P::DesignTorn}, {"EmbF6/FAR.kxd", P::DesignTorn},
          {"EmbF6/ZERO.kxd", P::DesignTorn}}},
        // Every record it counts is there, only the end record is not: named, left on the card.
        {"end record lost",
         [](T& t) {
             Bytes card = t.read("EmbF5/CARD.kxd");
             ASSERT_EQ(card.end()[-2] * 256 + card.end()[-1], 0x8010);
             card.end()[-2] = 0, card.end()[-1] = 0, t.write("EmbF5/CARD.kxd", card);
         },
         {{"EmbF5/CARD.kxd", P::DesignUnterminated}}},
        {"over the record limit, copied without a thumbnail",
         [](T& t) {
             for (const samples::SampleDesign& s : samples::MakeSampleDesigns())
                 if (s.fileName == "FILL.kxd") t.write("EmbF6/FILL.kxd", s.bytes);
         },
         {{"EmbF6/FILL.kxd", P::RecordLimit}, {"EmbF6/FILL.kxd", P::ThumbnailMissing}}},
        {"record counts that count nothing", [](T& t) { t.patch("EmbF5/STAR.kxd", 0x1C, 0), t.patch("EmbF5/HEART.kxd", 0x1C, 0xFFFFFFF0); },
         {{"EmbF5/HEART.kxd", P::RecordCountNone}, {"EmbF5/STAR.kxd", P::RecordCountNone}}},
        {"no hoop holds it (the thumbnail follows its unset hoop)",
         [](T& t) { t.patch("EmbF5/HEART.kxd", 0x20, 0), t.patch("EmbF5/HEART.kxd", 0x24, 701); },
         {{"EmbF5/HEART.kxd", P::NoHoopFits}, {"EmbF5/HEART.kxt", P::ThumbnailDiffers}}},
        {"hoop code not set", [](T& t) { t.patch("EmbF5/HEART.kxd", 0x20, 0); }, {{"EmbF5/HEART.kxd", P::HoopFieldsNotNormalised}}, true},
        {"thumbnails: one missing, one differing, one without its design",
         [](T& t) { t.remove("EmbF5/STAR.kxt"), t.patch("EmbF5/HEART.kxt", 100, 0x40404040), t.write("EmbF5/GONE.kxt", {1}); },
         {{"EmbF5/GONE.kxt", P::ThumbnailWithoutDesign}, {"EmbF5/HEART.kxt", P::ThumbnailDiffers}, {"EmbF5/STAR.kxd", P::ThumbnailMissing}}, true},
        {"pair half alone", [](T& t) { t.remove("EmbF5/TANDEM2.kxd"); }, {{"EmbF5/TANDEM1.kxd", P::PairHalfAlone}}},
        {"pair half with a thumbnail", [](T& t) { t.write("EmbF5/TANDEM1.kxt", {1}); }, {{"EmbF5/TANDEM1.kxt", P::PairHalfThumbnail}}, true},
        {"copy leftovers, in a folder and at the root",
         [](T& t) { for (const char* side : {"EmbF5/~kx0000beef7725097e.tmp", "~KX123456785F76A873.TMP"}) t.write(side, {1}); },
         {{"EmbF5/~kx0000beef7725097e.tmp", P::CopyLeftover}, {"~KX123456785F76A873.TMP", P::CopyLeftover}}, true},
        {"the user's files that look like leftovers", [](T& t) { for (const char* f : {"EmbF5/~kxdeadbeef.tmp", "EmbF5/ROSE.kxcopy-12"}) t.write(f, {1}); },
         {{"EmbF5/ROSE.kxcopy-12", P::ForeignEntry}, {"EmbF5/~kxdeadbeef.tmp", P::ForeignEntry}}},
        {"names differing only in case", copy("EmbF5/HEART.kxd", "EmbF5/heart.kxd"), {{"EmbF5/heart.kxd", P::CaseClash}}},
        {"names FAT cannot hold", [copy](T& t) { copy("EmbF5/HEART.kxd", "EmbF5/A|B.kxd")(t), copy("EmbF5/HEART.kxt", "EmbF5/A|B.kxt")(t); },
         {{"EmbF5/A|B.kxd", P::UnholdableName}, {"EmbF5/A|B.kxt", P::UnholdableName}}},
    };
    return damages;
}

void CardVerify::damageTogether() {
    for (const Damage& d : Damages())
        if (d.together) d.apply(*this);
}

TEST_F(CardVerify, EachDamageIsFoundChangesNothingAndRepairsAsFarAsItCan) {
    for (const Damage& d : Damages()) {
        SCOPED_TRACE(d.name);
        restore();
        d.apply(*this);
        const auto before = files(), sewn = files(true);
        EXPECT_EQ(verify(), d.found);
        EXPECT_TRUE(files() == before) << "changed without --repair";
        Founds left;
        std::copy_if(d.found.begin(), d.found.end(), std::back_inserter(left), [](const Found& f) { return !Repairable(f.second); });
        fs::remove_all(drives.host(kSalvage));
        EXPECT_EQ(repair().unrepaired(), std::ssize(left));
        EXPECT_EQ(verify(), left);
        // A torn design and its thumbnail leave the card for the salvage folder, byte for byte.
        auto kept = sewn;
        std::map<std::string, Bytes> moved;
        for (const Found& f : d.found)
            for (const std::string& file : {f.first, ReplaceExtension(f.first, "kxt")})
                if (f.second == P::DesignTorn && before.contains(file)) kept.erase(file), moved[file] = before.at(file);
        EXPECT_EQ(files(true), kept);
        EXPECT_EQ(salvaged(), moved);
    }
}

// Together: on a read-only card every repair fails and says so; failing at any file operation leaves the
// card no worse and a second repair ends the work; else all succeed and restore what the write made.
// Folder names wholly inside the cut order file's 250 bytes are kept, the rest default.
TEST_F(CardVerify, RepairsFailOnAReadOnlyCardLeaveItNoWorseWhenInterruptedAndSucceedOtherwise) {
    const auto sound = files();
    damageTogether();
    const Founds found = verify();
    const auto damaged = files(), sewn = files(true);
    {
        test::FaultPlatform readOnly(drives.backend());
        readOnly.setReadOnly('E');
        const VerifyReport report = repair();
        EXPECT_EQ(std::pair(report.findings.size(), report.unrepaired()), std::pair(std::size_t{9}, 9));
        for (const Finding& f : report.findings) EXPECT_EQ(f.outcome, RepairOutcome::Failed) << f.path();
        EXPECT_TRUE(files() == damaged);
    }
    for (int k = 1;; ++k) {
        restore(), damageTogether();
        test::FaultPlatform fault(drives.backend());
        fault.failOperation(k);
        const VerifyReport report = repair();
        if (fault.failedOperation().empty()) {
            EXPECT_GT(k, 20);
            EXPECT_EQ(report.repaired(), 9);
            break;
        }
        SCOPED_TRACE("failed: " + fault.failedOperation());
        const Founds after = verify();
        EXPECT_TRUE(std::includes(found.begin(), found.end(), after.begin(), after.end())) << "new findings";
        EXPECT_EQ(files(true), sewn);
        EXPECT_EQ(repair().unrepaired(), 0);
        OrderFile order;
        ASSERT_EQ(ReadOrderFile(0, "E:\\", order), OrderFileRead::Valid);
        EXPECT_EQ(order.displayName(2) + order.displayName(7), "ROSESEmbF12");
        EXPECT_TRUE(order.hasDesigns(0) && !order.hasDesigns(1));
    }
    EXPECT_EQ(verify(), Founds{});
    for (const char* same : {"EmbF5/HEART.kxd", "EmbF5/HEART.kxt", "EmbF5/STAR.kxt"}) EXPECT_EQ(files()[same], sound.at(same)) << same;
}


// A PC design without its end record goes to the card as it is: verify names it, and --repair
// leaves it there and makes no salvage folder.
TEST_F(CardVerify, AnUnterminatedDesignTheWriteStoredIsReportedAndStaysOnTheCard) {
    const Bytes open = test::DesignBuilder().move(0, 0).stitches(20, 3, 2).bytes();
    drives.write("C:\\OPEN.kxd", open);
    ASSERT_EQ(WriteSelectedToCard(0, {{"OPEN.kxd", "C:\\OPEN.kxd", true}}, {"E:\\EmbF9\\", "E:\\"}), TransferResult::Ran);
    ASSERT_EQ(read("EmbF9/OPEN.kxd").size(), open.size());
    const auto before = files();
    const VerifyReport report = repair();
    ASSERT_EQ(report.findings.size(), 1u);
    EXPECT_EQ(std::pair(report.findings[0].path(), report.findings[0].problem), Found("EmbF9/OPEN.kxd", P::DesignUnterminated));
    EXPECT_EQ(report.findings[0].outcome, RepairOutcome::NotTried);
    EXPECT_TRUE(files() == before);
    EXPECT_FALSE(fs::exists(drives.host(kSalvage)));
}

// The salvage never costs a byte: with no folder to put it in (none can be made, a file stands in
// its place, or none is given), with another file of that name there, with too little room there, and failing at each file operation in
// turn, the torn design and its thumbnail stay whole on the card or lie whole in the salvage folder.
TEST_F(CardVerify, ATornDesignIsNeverDeletedBeforeItsCopyIsWhole) {
    Bytes heart = read("EmbF5/HEART.kxd");
    heart.resize(300), write("EmbF5/HEART.kxd", heart);
    const auto torn = files();
    const std::map<std::string, Bytes> both{{"EmbF5/HEART.kxd", torn.at("EmbF5/HEART.kxd")}, {"EmbF5/HEART.kxt", torn.at("EmbF5/HEART.kxt")}};
    drives.write("C:\\taken", {1});
    drives.makeDir("C:\\earlier"), drives.makeDir("C:\\earlier\\EmbF5");
    drives.write("C:\\earlier\\EmbF5\\HEART.kxt", {5});  // another design's, never written over
    for (const std::string& nowhere : {std::string("C:\\missing\\deeper\\"), std::string("C:\\taken\\"), std::string(),
                                       std::string("C:\\earlier\\")}) {
        SCOPED_TRACE(nowhere);
        const VerifyReport report = VerifyCard("E:\\", {}, true, nowhere);
        ASSERT_EQ(report.findings.size(), 1u);
        EXPECT_EQ(report.findings[0].outcome, RepairOutcome::Failed);
        EXPECT_TRUE(files() == torn);
    }
    EXPECT_EQ(drives.read("C:\\earlier\\EmbF5\\HEART.kxt"), Bytes{5});
    {
        test::FaultPlatform full(drives.backend());
        full.setWriteBudget('C', 100);
        EXPECT_EQ(repair().unrepaired(), 1);
        EXPECT_TRUE(files() == torn);
        EXPECT_EQ(salvaged(), (std::map<std::string, Bytes>{}));
    }
    for (int k = 1;; ++k) {
        restore(), write("EmbF5/HEART.kxd", heart), fs::remove_all(drives.host(kSalvage));
        test::FaultPlatform fault(drives.backend());
        fault.failOperation(k);
        const VerifyReport report = repair();
        if (fault.failedOperation().empty()) break;
        const bool moved = std::ranges::any_of(report.findings, [](const Finding& f) {
            return f.problem == P::DesignTorn && f.outcome == RepairOutcome::Done;
        });
        SCOPED_TRACE("failed: " + fault.failedOperation());
        auto now = salvaged();
        for (const auto& [file, bytes] : files())
            if (file.starts_with("EmbF5/HEART.")) now[file] = bytes;
        for (const auto& [file, bytes] : both) EXPECT_EQ(now[file], bytes) << file;
        EXPECT_EQ(moved, !fs::exists(card() / "EmbF5/HEART.kxd") && !fs::exists(card() / "EmbF5/HEART.kxt"));
        // Once the failure is gone, a second repair finishes the move.
        EXPECT_EQ(repair().unrepaired(), 0);
        EXPECT_EQ(salvaged(), both);
    }
    EXPECT_EQ(salvaged(), both);
}

}  // namespace
}  // namespace kx
