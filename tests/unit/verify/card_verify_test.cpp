// verify on cards written by the write command and then damaged: each finding on its own with
// its repair, every repairable damage at once, a read-only card, a repair failing at every file
// operation, and a card of random files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "card/card_layout.h"
#include "card/order_file.h"
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

struct Found {
    std::string path;
    Problem problem;
    auto operator<=>(const Found&) const = default;
    friend std::ostream& operator<<(std::ostream& o, const Found& f) {
        return o << f.path << " " << ProblemName(f.problem);
    }
};
using Founds = std::vector<Found>;

Founds Summarise(const VerifyReport& report) {
    Founds out;
    for (const Finding& f : report.findings) out.push_back({f.path(), f.problem});
    std::sort(out.begin(), out.end());
    return out;
}

class CardVerify : public ::testing::Test {
public:  // the damage table reaches in
    void SetUp() override {
        drives.addCard('E');
        drives.addFixed('C');
        drives.makeDir("C:\\designs");
        writeSoundCard();
        fs::copy(card(), sound, fs::copy_options::recursive);
    }

    // The card as the write left it (the write ends with a volume flush: once is enough).
    void restoreSoundCard() {
        for (const auto& entry : fs::directory_iterator(card())) fs::remove_all(entry.path());
        fs::copy(sound, card(), fs::copy_options::recursive);
    }

    // A blank card through the layout check, then the samples that fit written to EmbF5 (HEART,
    // STAR, and the tandem pair TANDEM1/TANDEM2 without thumbnails).
    void writeSoundCard() {
        OrderFile orderFile;
        ASSERT_EQ(CheckCardLayout(0, "E:\\", orderFile), 1);
        std::vector<ListRow> rows;
        for (const samples::SampleDesign& s : samples::MakeSampleDesigns()) {
            const std::string& n = s.fileName;
            bool fits = n == "HEART.kxd" || n == "STAR.kxd" || n.starts_with("TANDEM");
            if (!fits) continue;
            drives.write("C:\\designs\\" + s.fileName, s.bytes);
            rows.push_back({s.fileName, "C:\\designs\\" + s.fileName, true});
        }
        ASSERT_EQ(WriteSelectedToCard(0, rows, {"E:\\EmbF5\\", "E:\\"}), kTransferRan);
        ASSERT_TRUE(messages.shown().empty());
    }

    fs::path card() const { return drives.host("E:\\"); }
    static std::string OnCard(std::string path) {
        std::replace(path.begin(), path.end(), '/', '\\');
        return "E:\\" + path;
    }
    Bytes read(const std::string& path) const { return drives.read(OnCard(path)); }
    // At exactly this spelling, beside any name that differs only in case.
    void write(const std::string& path, const Bytes& bytes) const {
        std::ofstream(card() / path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                             static_cast<std::streamsize>(bytes.size()));
    }
    void remove(const std::string& path) const { fs::remove_all(card() / path); }
    // Sets a header field of a design on the card.
    void patch(const std::string& path, std::size_t at, std::uint32_t value) const {
        Bytes bytes = read(path);
        for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        write(path, bytes);
    }

    // Every file of the card by its path under the card root.
    std::map<std::string, Bytes> snapshot() const {
        std::map<std::string, Bytes> files;
        for (const auto& entry : fs::recursive_directory_iterator(card()))
            if (entry.is_regular_file()) {
                std::string path = entry.path().lexically_relative(card()).string();
                files[path] = read(path);
            }
        return files;
    }
    // The stitches of every design: what no repair may change or remove.
    std::map<std::string, Bytes> stitches() const {
        std::map<std::string, Bytes> designs;
        for (auto& [path, bytes] : snapshot())
            if (path.ends_with(".kxd") && bytes.size() > 116)
                designs[path].assign(bytes.begin() + 116, bytes.end());
        return designs;
    }

    Founds verify(bool repair = false) { return Summarise(VerifyCard("E:\\", {}, repair)); }

    test::TestDrives drives;
    test::ScriptedMessages messages;
    const fs::path sound = drives.root() / "sound";
};

struct Damage {
    const char* name;
    std::function<void(CardVerify&)> apply;
    Founds found;
    Founds afterRepair;  // what only can be reported
};

// Damages that --repair puts right; all of them fit on one card at once.
std::vector<Damage> RepairableDamages() {
    return {
        {"order file cut short, a renamed folder's name still readable",
         [](CardVerify& t) {
             Bytes order = t.read("Emb_OrdF.dat");
             std::copy_n("ROSES\0\0\0", 8, order.begin() + 160 + 2 * 12);
             order.resize(250);
             t.write("Emb_OrdF.dat", order);
         },
         {{"Emb_OrdF.dat", P::OrderFileDamaged}}, {}},
        {"design folder missing", [](CardVerify& t) { t.remove("EmbF9"); },
         {{"EmbF9", P::FolderMissing}}, {}},
        {"hoop code not set", [](CardVerify& t) { t.patch("EmbF5/HEART.kxd", 0x20, 0); },
         {{"EmbF5/HEART.kxd", P::HoopFieldsNotNormalised}}, {}},
        {"thumbnail missing", [](CardVerify& t) { t.remove("EmbF5/STAR.kxt"); },
         {{"EmbF5/STAR.kxd", P::ThumbnailMissing}}, {}},
        {"thumbnail differs",
         [](CardVerify& t) {
             Bytes thumb = t.read("EmbF5/HEART.kxt");
             thumb[100] ^= 0x40;
             t.write("EmbF5/HEART.kxt", thumb);
         },
         {{"EmbF5/HEART.kxt", P::ThumbnailDiffers}}, {}},
        {"thumbnail without design", [](CardVerify& t) { t.write("EmbF5/GONE.kxt", {1, 2}); },
         {{"EmbF5/GONE.kxt", P::ThumbnailWithoutDesign}}, {}},
        {"pair half with a thumbnail", [](CardVerify& t) { t.write("EmbF5/TANDEM1.kxt", {1}); },
         {{"EmbF5/TANDEM1.kxt", P::PairHalfThumbnail}}, {}},
        {"copy leftovers",
         [](CardVerify& t) {
             t.write("EmbF5/~kx0000beef.tmp", {1});
             t.write("EmbF5/STAR.kxd.kxcopy-42", {1});
             t.write("~KX12345678.TMP", {1});
         },
         {{"EmbF5/STAR.kxd.kxcopy-42", P::CopyLeftover}, {"EmbF5/~kx0000beef.tmp", P::CopyLeftover},
          {"~KX12345678.TMP", P::CopyLeftover}},
         {}},
    };
}

std::vector<Damage> OtherDamages() {
    return {
        {"a sound card", [](CardVerify&) {}, {}, {}},
        {"order file missing", [](CardVerify& t) { t.remove("Emb_OrdF.dat"); },
         {{"Emb_OrdF.dat", P::OrderFileDamaged}}, {}},
        {"order file without signature", [](CardVerify& t) { t.patch("Emb_OrdF.dat", 4, 0x32465845); },
         {{"Emb_OrdF.dat", P::OrderFileDamaged}}, {}},
        {"folder in place of the order file",
         [](CardVerify& t) {
             t.remove("Emb_OrdF.dat");
             t.drives.makeDir("E:\\Emb_OrdF.dat");
         },
         {{"Emb_OrdF.dat", P::OrderFileBlocked}}, {{"Emb_OrdF.dat", P::OrderFileBlocked}}},
        {"file in place of a design folder",
         [](CardVerify& t) {
             t.remove("EmbF9");
             t.write("EmbF9", {1});
         },
         {{"EmbF9", P::FolderBlocked}}, {{"EmbF9", P::FolderBlocked}}},
        {"earlier layout still to migrate",
         [](CardVerify& t) { fs::rename(t.card() / "EmbF5", t.card() / "EMB_FILE"); },
         {{"EmbF5", P::FolderBlocked}}, {{"EmbF5", P::FolderBlocked}}},
        {"101 designs in a folder",
         [](CardVerify& t) {
             for (int i = 0; i < 101; ++i) {
                 t.write("EmbF6/D" + std::to_string(i) + ".kxd", t.read("EmbF5/HEART.kxd"));
                 t.write("EmbF6/D" + std::to_string(i) + ".kxt", t.read("EmbF5/HEART.kxt"));
             }
         },
         {{"EmbF6", P::TooManyDesigns}}, {{"EmbF6", P::TooManyDesigns}}},
        {"zero-length design", [](CardVerify& t) { t.write("EmbF6/ZERO.kxd", {}); },
         {{"EmbF6/ZERO.kxd", P::DesignUnreadable}}, {{"EmbF6/ZERO.kxd", P::DesignUnreadable}}},
        {"over the record limit", [](CardVerify& t) { t.patch("EmbF5/STAR.kxd", 0x1C, 65536); },
         {{"EmbF5/STAR.kxd", P::RecordLimit}}, {{"EmbF5/STAR.kxd", P::RecordLimit}}},
        {"no hoop holds it (the thumbnail follows its unset hoop)",
         [](CardVerify& t) {
             t.patch("EmbF5/HEART.kxd", 0x20, 0);
             t.patch("EmbF5/HEART.kxd", 0x24, 701);
         },
         {{"EmbF5/HEART.kxd", P::NoHoopFits}, {"EmbF5/HEART.kxt", P::ThumbnailDiffers}},
         {{"EmbF5/HEART.kxd", P::NoHoopFits}}},
        {"pair half alone", [](CardVerify& t) { t.remove("EmbF5/TANDEM2.kxd"); },
         {{"EmbF5/TANDEM1.kxd", P::PairHalfAlone}}, {{"EmbF5/TANDEM1.kxd", P::PairHalfAlone}}},
        {"foreign file and folder",
         [](CardVerify& t) {
             t.write("EmbF5/notes.txt", {1});
             t.drives.makeDir("E:\\EmbF5\\sub");
         },
         {{"EmbF5/notes.txt", P::ForeignEntry}, {"EmbF5/sub", P::ForeignEntry}},
         {{"EmbF5/notes.txt", P::ForeignEntry}, {"EmbF5/sub", P::ForeignEntry}}},
        {"names differing only in case",
         [](CardVerify& t) { t.write("EmbF5/heart.kxd", t.read("EmbF5/HEART.kxd")); },
         {{"EmbF5/heart.kxd", P::CaseClash}}, {{"EmbF5/heart.kxd", P::CaseClash}}},
        {"names FAT cannot hold",
         [](CardVerify& t) {
             t.write("EmbF5/A|B.kxd", t.read("EmbF5/HEART.kxd"));
             t.write("EmbF5/A|B.kxt", t.read("EmbF5/HEART.kxt"));
         },
         {{"EmbF5/A|B.kxd", P::UnholdableName}, {"EmbF5/A|B.kxt", P::UnholdableName}},
         {{"EmbF5/A|B.kxd", P::UnholdableName}, {"EmbF5/A|B.kxt", P::UnholdableName}}},
    };
}

TEST_F(CardVerify, EachDamageIsFoundChangesNothingAndRepairsAsFarAsItCan) {
    std::vector<Damage> damages = OtherDamages();
    for (Damage& d : RepairableDamages()) damages.push_back(std::move(d));
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        restoreSoundCard();
        d.apply(*this);
        auto before = snapshot();
        auto sewn = stitches();
        EXPECT_EQ(verify(), d.found);
        EXPECT_TRUE(snapshot() == before) << "changed without --repair";
        VerifyReport repaired = VerifyCard("E:\\", {}, true);
        EXPECT_EQ(repaired.unrepaired(), static_cast<int>(d.afterRepair.size()));
        EXPECT_EQ(verify(), d.afterRepair);
        auto after = stitches();
        for (auto& [path, tail] : sewn) EXPECT_EQ(after[path], tail) << path;
    }
}

TEST_F(CardVerify, RepairsRestoreWhatTheWriteMadeAndKeepReadableFolderNames) {
    auto sound = snapshot();
    for (const Damage& d : RepairableDamages()) d.apply(*this);
    VerifyReport report = VerifyCard("E:\\", {}, true);
    EXPECT_EQ(report.repaired(), 10);
    EXPECT_EQ(report.unrepaired(), 0);
    EXPECT_EQ(verify(), Founds{});
    auto now = snapshot();
    for (const char* same : {"EmbF5/HEART.kxd", "EmbF5/HEART.kxt", "EmbF5/STAR.kxt"})
        EXPECT_EQ(now[same], sound[same]) << same;
    EXPECT_FALSE(now.count("EmbF5/TANDEM1.kxt"));
    EXPECT_TRUE(fs::is_directory(card() / "EmbF9"));

    // Names of entries wholly inside the 250 bytes kept; the rest default; flags as the card holds.
    OrderFile order;
    ASSERT_EQ(ReadOrderFile(0, "E:\\", order), 1);
    EXPECT_EQ(order.displayName(2), "ROSES");
    EXPECT_EQ(order.displayName(7), "EmbF12");
    EXPECT_TRUE(order.hasDesigns(0));
    EXPECT_FALSE(order.hasDesigns(1));

    // Only the folders named are looked into; the order file always.
    remove("EmbF5/STAR.kxt");
    remove("Emb_OrdF.dat");
    EXPECT_EQ(Summarise(VerifyCard("E:\\", {3, 11}, false)), (Founds{{"Emb_OrdF.dat", P::OrderFileDamaged}}));
}

TEST_F(CardVerify, AReadOnlyCardGetsEveryFindingAndAFailedRepairForEach) {
    for (const Damage& d : RepairableDamages()) d.apply(*this);
    auto before = snapshot();
    test::FaultPlatform readOnly(drives.backend());
    readOnly.setReadOnly('E');
    VerifyReport report = VerifyCard("E:\\", {}, true);
    EXPECT_EQ(report.findings.size(), 10u);
    for (const Finding& f : report.findings) EXPECT_EQ(f.outcome, RepairOutcome::Failed) << f.path();
    EXPECT_TRUE(snapshot() == before);
}

TEST_F(CardVerify, ARepairInterruptedAtAnyFileOperationLeavesTheCardNoWorse) {
    auto damage = [&] {
        restoreSoundCard();
        for (const Damage& d : RepairableDamages()) d.apply(*this);
    };
    damage();
    const Founds found = verify();
    const auto sewn = stitches();
    int operations = 0;
    {
        test::FaultPlatform count(drives.backend());
        VerifyCard("E:\\", {}, true);
        operations = count.operationCount();
    }
    ASSERT_GT(operations, 20);
    for (int k = 1; k <= operations; ++k) {
        damage();
        std::string failed;
        {
            test::FaultPlatform fault(drives.backend());
            fault.failOperation(k);
            VerifyCard("E:\\", {}, true);
            failed = fault.failedOperation();
        }
        SCOPED_TRACE("failed: " + failed);
        Founds after = verify();
        EXPECT_TRUE(std::includes(found.begin(), found.end(), after.begin(), after.end())) << "new findings";
        EXPECT_EQ(stitches(), sewn);
        EXPECT_EQ(VerifyCard("E:\\", {}, true).unrepaired(), 0);
        EXPECT_EQ(verify(), Founds{});
    }
}

TEST_F(CardVerify, RandomFilesAndHugeDesignsEndInReportsOnlyAfterOneRepair) {
    std::mt19937 random(7);
    const char* const extensions[] = {".kxd", ".kxt", ".bin", ""};
    for (int i = 0; i < 1000; ++i) {
        Bytes bytes(random() % 600);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        // Now and then a header that names a hoop, so some random designs get thumbnails.
        if (bytes.size() > 0x24 && i % 3 == 0) std::fill_n(bytes.begin() + 0x20, 4, 0), bytes[0x20] = i % 4;
        write("EmbF7/R" + std::to_string(i) + extensions[i % 4], bytes);
    }
    Bytes huge = samples::GenerateDesign(5'000'000, 50, 3);
    write("EmbF8/HUGE.kxd", huge);
    write("EmbF8/" + std::string(251, 'N') + ".kxt", {1});
    write("EmbF8/" + std::string(255, 'B'), {1});
    VerifyCard("E:\\", {}, true);
    VerifyReport again = VerifyCard("E:\\", {}, false);
    EXPECT_FALSE(again.findings.empty());
    for (const Finding& f : again.findings) EXPECT_EQ(f.repair, Repair::None) << f.path() << ": " << f.what;
    EXPECT_EQ(read("EmbF8/HUGE.kxd").size(), huge.size());
}

}  // namespace
}  // namespace kx
