// Write, read and erase through the tool: results on the card, messages and exit statuses.
#include <gtest/gtest.h>

#include "design/design_header.h"
#include "tool_runner.h"

namespace kx::test {
namespace {

namespace fs = std::filesystem;

class ToolTransfer : public ::testing::Test {
protected:
    fs::path folder5() const { return box.card() / "EmbF5"; }
    ToolSandbox box;
};

TEST_F(ToolTransfer, WriteStoresDesignsWithThumbnailsQuietly) {
    fs::path heart = box.sample("HEART.kxd"), star = box.sample("STAR.kxd");
    ToolRun r = box.onCard({"write", "0", heart.string(), star.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.empty()) << r.err;  // no terminal: no progress lines either
    for (const char* name : {"HEART", "STAR"}) {
        EXPECT_TRUE(fs::exists(folder5() / (std::string(name) + ".kxd"))) << name;
        EXPECT_TRUE(fs::exists(folder5() / (std::string(name) + ".kxt"))) << name;
    }
    EXPECT_EQ(fs::file_size(folder5() / "HEART.kxt"), 1020u);  // hoop C: 60 + 30 x 32
    EXPECT_EQ(box.onCard({"list", "EmbF5"}).out, "HEART.kxd\nSTAR.kxd\n");
    EXPECT_TRUE(box.onCard({"folders"}).out.starts_with("0\tEmbF5\tEmbF5\t1\n"));
    // The conversion's temporary file does not outlive the command.
    EXPECT_FALSE(fs::exists(box.root() / "tmp" / "$$SndDat.tp$"));
}

TEST_F(ToolTransfer, TandemHalvesGoWithoutThumbnailAndKeepTheirMark) {
    fs::path one = box.sample("TANDEM1.kxd"), two = box.sample("TANDEM2.kxd");
    ToolRun r = box.onCard({"write", "EmbF5", one.string(), two.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(folder5() / "TANDEM1.kxt"));
    auto header = DesignHeader::parse(ReadFileBytes(folder5() / "TANDEM2.kxd"));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->pairLetter(), 'A');
}

TEST_F(ToolTransfer, RefusalsShowTheCardsMessagesOthersStillArriveAndExitIs1) {
    fs::path giant = box.sample("GIANT.kxd"), fill = box.sample("FILL.kxd"), heart = box.sample("HEART.kxd");
    ToolRun r = box.onCard({"write", "0", giant.string(), fill.string(), heart.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "Attention: The \"GIANT\" design exceeds the hoop size limits.\n"
              "Attention: The design is too large and cannot be sent in this menu.\n"
              "The pattern (FILL) exceeds the 64000 stitch limit.\n");
    EXPECT_FALSE(fs::exists(folder5() / "GIANT.kxd"));
    EXPECT_FALSE(fs::exists(folder5() / "FILL.kxd"));
    EXPECT_TRUE(fs::exists(folder5() / "HEART.kxd"));
}

TEST_F(ToolTransfer, AMissingOrUnusableFileIsSkippedSilentlyButCountsAsRefused) {
    fs::path heart = box.sample("HEART.kxd");
    fs::path text = box.put(box.pc() / "notes.txt", {1, 2, 3});
    fs::path empty = box.put(box.pc() / "EMPTY.kxd", {});
    for (const fs::path& bad : {box.pc() / "NOSUCH.kxd", text, empty}) {
        ToolRun r = box.onCard({"write", "0", bad.string(), heart.string()});
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_TRUE(r.err.empty()) << r.err;
        EXPECT_TRUE(fs::exists(folder5() / "HEART.kxd"));
        EXPECT_FALSE(fs::exists(folder5() / bad.filename()));
    }
}

TEST_F(ToolTransfer, AFailedCopyOntoTheCardIsOutOfMemorySpaceAndExit2) {
    fs::create_directories(folder5() / "STAR.kxd");  // a folder in the way: the copy fails
    fs::path heart = box.sample("HEART.kxd"), star = box.sample("STAR.kxd"), card = box.sample("CARD.kxd");
    ToolRun r = box.onCard({"write", "0", heart.string(), star.string(), card.string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Error: Out of memory space.\n");
    EXPECT_TRUE(fs::exists(folder5() / "HEART.kxd"));
    EXPECT_FALSE(fs::exists(folder5() / "CARD.kxd"));  // the command ended at the failure
}

TEST_F(ToolTransfer, AHundredDesignsStopTheWrite) {
    for (int i = 0; i < 100; ++i) box.put(folder5() / ("D" + std::to_string(i) + ".kxd"), {1});
    fs::path heart = box.sample("HEART.kxd");
    ToolRun r = box.onCard({"write", "0", heart.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Attention: 100 designs have been registered.\nNo more design can be registered.\n");
    EXPECT_FALSE(fs::exists(folder5() / "HEART.kxd"));
}

class ToolCardDesigns : public ToolTransfer {
protected:
    void SetUp() override {
        fs::path heart = box.sample("HEART.kxd"), star = box.sample("STAR.kxd"),
                 card = box.sample("CARD.kxd");
        ASSERT_EQ(box.onCard({"write", "0", heart.string(), star.string(), card.string()}).status, 0);
    }
};

TEST_F(ToolCardDesigns, ReadCopiesNamedDesignsWithoutRegardToCase) {
    fs::path into = box.root() / "into";
    fs::create_directory(into);
    ToolRun r = box.onCard({"read", "0", "heart.KXD", "STAR.kxd", "--to", into.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFileBytes(into / "HEART.kxd"), ReadFileBytes(folder5() / "HEART.kxd"));
    EXPECT_TRUE(fs::exists(into / "STAR.kxd"));
    EXPECT_FALSE(fs::exists(into / "CARD.kxd"));
    EXPECT_FALSE(fs::exists(into / "HEART.kxt"));  // thumbnails stay on the card
}

TEST_F(ToolCardDesigns, ReadGoesToTheCurrentDirectoryByDefault) {
    fs::path here = box.root() / "here";
    fs::create_directory(here);
    ToolRun r = box.run({"--card", box.card().string(), "read", "0", "CARD.kxd"}, here);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(here / "CARD.kxd"));
}

TEST_F(ToolCardDesigns, NamesThatMatchNothingAreReported) {
    fs::path into = box.root() / "into";
    fs::create_directory(into);
    ToolRun partly = box.onCard({"read", "0", "HEART.kxd", "ROSE.kxd", "--to", into.string()});
    EXPECT_EQ(partly.status, 1);
    EXPECT_EQ(partly.err, "kxcard: no design \"ROSE.kxd\" in EmbF5\n");
    EXPECT_TRUE(fs::exists(into / "HEART.kxd"));

    ToolRun none = box.onCard({"erase", "0", "ROSE.kxd"});
    EXPECT_EQ(none.status, 3);
    EXPECT_EQ(none.err, "kxcard: no design \"ROSE.kxd\" in EmbF5\n");
    ToolRun elsewhere = box.onCard({"read", "1", "HEART.kxd"});
    EXPECT_EQ(elsewhere.status, 3);
}

TEST_F(ToolCardDesigns, EraseAsksAndNoOrNoTerminalKeepsEverything) {
    constexpr const char* kQuestion =
        "Confirm: Are you sure you want to delete the selected designs from the ATA PC Card?\n";
    for (const auto& answer : std::vector<std::vector<std::string>>{{"--no"}, {}}) {
        std::vector<std::string> args = answer;
        args.insert(args.end(), {"erase", "0", "STAR.kxd"});
        ToolRun r = box.onCard(args);
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.err, kQuestion);
        EXPECT_TRUE(fs::exists(folder5() / "STAR.kxd"));
    }
    ToolRun yes = box.onCard({"--yes", "erase", "0", "STAR.kxd", "card.kxd"});
    EXPECT_EQ(yes.status, 0);
    EXPECT_EQ(yes.err, kQuestion);
    for (const char* gone : {"STAR.kxd", "STAR.kxt", "CARD.kxd", "CARD.kxt"})
        EXPECT_FALSE(fs::exists(folder5() / gone)) << gone;
    EXPECT_TRUE(fs::exists(folder5() / "HEART.kxt"));
}

TEST_F(ToolCardDesigns, EraseOfADesignWithoutThumbnailIsNoFailure) {
    fs::remove(folder5() / "HEART.kxt");
    ToolRun r = box.onCard({"--yes", "erase", "0", "HEART.kxd"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(fs::exists(folder5() / "HEART.kxd"));
}

}  // namespace
}  // namespace kx::test
