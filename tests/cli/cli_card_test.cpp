// The card commands end to end: command line, card finding, layout, folders, write, read, erase.
#include "tool_runner.h"

namespace kx::test {
namespace {

constexpr const char* kEraseQuestion =
    "Confirm: Are you sure you want to delete the selected designs from the ATA PC Card?\n";

TEST_F(ToolTest, MistakesExit64WithTheUsageOnStderrAndHelpAndVersionGoToStdout) {
    std::string file = put(root / "plain.txt", {1}).string();
    const std::vector<std::vector<std::string>> mistakes{
        {}, {"dance"}, {"--card", file, "check"}, {"--card", (root / "missing").string(), "check"},
        {"--yes", "--no", "check"}, {"list", "12"}, {"list", "EmbF4"}, {"list", "-1"}, {"list", "embf17"},
        {"write", "0"}, {"rename", "0", ""}, {"read", "0", "A.kxd", "--to", file}, {"convert", "x.kxd"},
        {"preview", "x.kxd", "-o", "x.png", "--size", "0x10"}, {"preview", "x", "-o", "y", "--size", "wide"}};
    for (const auto& args : mistakes) {
        ToolRun r = run(args);
        EXPECT_TRUE(r.status == 64 && r.out.empty() && r.err.find("Usage:") != std::string::npos) << r;
    }
    EXPECT_NE(run(mistakes[2]).err.find("--card: Directory is actually a file: " + file), std::string::npos);
    EXPECT_TRUE(fs::is_empty(card));
    ToolRun help = run({"preview", "--help"});
    EXPECT_TRUE(help.status == 0 && help.err.empty() && help.out.find("--size") != std::string::npos) << help;
    EXPECT_EQ(run({"--version"}), (ToolRun{0, "kxcard " KX_VERSION "\n", ""}));
}

TEST_F(ToolTest, WithoutACardTheQuestionThenHowToNameACardFolderAndExit3) {
    if (run({"drives"}).status == 0) GTEST_SKIP() << "this machine has a removable drive";
    const std::string question =
        "Confirm: Is the ATA PC Card correctly inserted into your PC or Adapter's card slot?\n"
        "Is the Card adapter connected to your PC correctly?\n";
    const std::string hint = "kxcard: no removable drive; name a folder to use as the card with --card DIR\n";
    for (const char* command : {"check", "folders", "drives", "verify"}) {
        EXPECT_EQ(run({command}), (ToolRun{3, "", question + hint})) << command;
        // OK to the question finds no card either.
        EXPECT_EQ(run({"--yes", command}), (ToolRun{3, "", question + hint})) << command;
    }
}

TEST_F(ToolTest, CheckReadiesABlankCardDrivesMarksItFoldersAndListShowWhatItHolds) {
    std::string folder = fs::canonical(card).string();
    ToolRun check = onCard({"check"});
    EXPECT_TRUE(check.status == 0 && check.err.empty() && check.out.ends_with(":\\\t" + folder + "\tready\n"))
        << check;
    for (int n = 5; n <= 16; ++n) EXPECT_TRUE(fs::is_directory(card / ("EmbF" + std::to_string(n)))) << n;
    std::string drives = onCard({"drives"}).out;
    EXPECT_NE(drives.find(":\\\tremovable\t" + folder + "\tdefault\n"), std::string::npos) << drives;
    EXPECT_EQ(drives.find("\tdefault\n"), drives.rfind("\tdefault\n")) << drives;  // one default only

    for (const char* name : {"rose.kxd", "B.kxd", "Tulip.KXD", "a.kxd", "rose.kxt", "read.me"})
        put(card / "EmbF7" / name, {1});
    put(card / "EmbF8" / "notes.txt", {1});
    std::string folders;  // index, folder, display name, has designs
    for (int i = 0, n = 5; i < 12; ++i, ++n)
        folders += std::to_string(i) + "\tEmbF" + std::to_string(n) + "\tEmbF" + std::to_string(n) + "\t" +
                   (n == 7 ? "1\n" : "0\n");
    EXPECT_EQ(onCard({"folders"}), (ToolRun{0, folders, ""}));
    for (const char* name : {"2", "eMBf7"})
        EXPECT_EQ(onCard({"list", name}), (ToolRun{0, "B.kxd\nTulip.KXD\na.kxd\nrose.kxd\n", ""}));
}

TEST_F(ToolTest, MigrationRefusedDoesNothingAndExits3AcceptedMovesTheFolders) {
    put(card / "EMB_FILE" / "old.kxd", {1});
    fs::create_directory(card / "PC_LINK");
    ToolRun no = onCard({"--no", "folders"});
    EXPECT_EQ(no.status, 3);
    EXPECT_TRUE(no.out.empty() && no.err.starts_with("Attention: A folder name from a previous version"))
        << no;
    EXPECT_FALSE(fs::exists(card / "EmbF5"));
    ToolRun yes = onCard({"--yes", "folders"});
    EXPECT_TRUE(yes.status == 0 && yes.out.starts_with("0\tEmbF5\tEmbF5\t1\n")) << yes;
    EXPECT_TRUE(fs::exists(card / "EmbF5" / "old.kxd") && fs::is_directory(card / "EmbF6"));
}

TEST_F(ToolTest, RenameRefusesBadNamesBeforeLookingAtTheCardThenWritesTheOrderFile) {
    EXPECT_EQ(onCard({"rename", "0", "123456789"}), (ToolRun{3, "", "Rename: To maximum 8 characters\n"}));
    EXPECT_EQ(onCard({"rename", "0", "a?b"}),
              (ToolRun{3, "",
                       "Rename: A filename cannot contain any of the following characters:\n"
                       " \\ / : * ? \" < > |\n"}));
    EXPECT_TRUE(fs::is_empty(card));
    auto displayName = [&](int folder) { return Slurp(card / "Emb_OrdF.dat").substr(160 + 12 * folder, 8); };
    ASSERT_EQ(onCard({"rename", "2", "Roses"}).status, 0);
    EXPECT_EQ(displayName(2), std::string("Roses\0\0\0", 8));
    EXPECT_NE(onCard({"folders"}).out.find("\n2\tEmbF7\tRoses\t0\n"), std::string::npos);
    EXPECT_EQ(onCard({"rename", "EmbF16", "12345678"}).status, 0);
    EXPECT_EQ(displayName(11), "12345678");
    EXPECT_EQ(onCard({"rename", "2", "Roses"}).status, 0);  // the same name again is no failure
}

TEST_F(ToolTest, WriteStoresDesignsWithTheThumbnailRecordsQuietly) {
    // No terminal: no progress lines either.
    EXPECT_EQ(onCard({"write", "0", sample("HEART.kxd"), sample("STAR.kxd")}), (ToolRun{0, "", ""}));
    EXPECT_EQ(onCard({"list", "EmbF5"}).out, "HEART.kxd\nSTAR.kxd\n");
    fs::path record = root / "star.kxt";
    ASSERT_EQ(run({"thumbnail", (card / "EmbF5" / "STAR.kxd").string(), "-o", record.string()}).status, 0);
    EXPECT_EQ(Slurp(record), Slurp(card / "EmbF5" / "STAR.kxt"));
}

TEST_F(ToolTest, WriteFailuresShowTheCardsMessagesOrNoneAndSetTheExitStatus) {
    fs::create_directories(card / "EmbF5" / "STAR.kxd");  // a folder in the way: the copy fails
    const std::string heart = sample("HEART.kxd");
    // A missing file, one not named as a design and an empty one are skipped without a message
    // of the card's; the tool's own line says why.
    const std::vector<std::pair<std::vector<std::string>, ToolRun>> cases{
        {{"write", "0", sample("GIANT.kxd"), sample("FILL.kxd"), heart},
         {1, "",
          "Attention: The \"GIANT\" design exceeds the hoop size limits.\n"
          "Attention: The design is too large and cannot be sent in this menu.\n"
          "The pattern (FILL) exceeds the 64000 stitch limit.\n"}},
        {{"write", "0", (pc / "NOSUCH.kxd").string(), heart}, {1, "", "kxcard: NOSUCH.kxd: No such file or directory\n"}},
        {{"write", "0", put(pc / "notes.txt", {1, 2, 3}).string(), heart},
         {1, "", "kxcard: notes.txt: Not named as a design (.kxd)\n"}},
        {{"write", "0", put(pc / "EMPTY.kxd", {}).string(), heart}, {1, "", "kxcard: EMPTY.kxd: The file is empty\n"}},
        {{"write", "0", heart, sample("STAR.kxd"), sample("CARD.kxd")},
         {2, "", "kxcard: EmbF5/STAR.kxd: Is a directory\nError: Out of memory space.\n"}}};
    for (const auto& [args, expected] : cases) {
        EXPECT_EQ(onCard(args), expected) << args[2];
        // STAR is the folder in the way; CARD, after it, never went.
        EXPECT_EQ(onCard({"list", "0"}).out, "HEART.kxd\nSTAR.kxd\n") << args[2];
    }
}

// HEART, STAR and CARD on the card in EmbF5.
class ToolCardDesigns : public ToolTest {
protected:
    void SetUp() override {
        ToolRun r = onCard({"write", "0", sample("HEART.kxd"), sample("STAR.kxd"), sample("CARD.kxd")});
        ASSERT_EQ(r.status, 0) << r;
    }
    fs::path folder = card / "EmbF5";
};

TEST_F(ToolCardDesigns, ReadCopiesNamedDesignsWithoutRegardToCaseAndReportsNamesThatMatchNothing) {
    fs::path into = root / "into";
    fs::create_directory(into);
    EXPECT_EQ(onCard({"read", "0", "heart.KXD", "ROSE.kxd", "STAR.kxd", "--to", into.string()}),
              (ToolRun{1, "", "kxcard: no design \"ROSE.kxd\" in EmbF5\n"}));
    EXPECT_EQ(Slurp(into / "HEART.kxd"), Slurp(folder / "HEART.kxd"));
    EXPECT_TRUE(fs::exists(into / "STAR.kxd") && !fs::exists(into / "CARD.kxd"));
    EXPECT_FALSE(fs::exists(into / "HEART.kxt"));  // thumbnails stay on the card
    // Without --to into the current directory; when no name matches, nothing is done.
    EXPECT_EQ(run({"--card", card.string(), "read", "0", "CARD.kxd"}, into), (ToolRun{0, "", ""}));
    EXPECT_TRUE(fs::exists(into / "CARD.kxd"));
    EXPECT_EQ(onCard({"read", "1", "HEART.kxd"}).status, 3);
}

TEST_F(ToolCardDesigns, EraseAsksAndOnlyYesErasesDesignsWithTheirThumbnails) {
    EXPECT_EQ(onCard({"--no", "erase", "0", "STAR.kxd"}), (ToolRun{3, "", kEraseQuestion}));
    EXPECT_EQ(onCard({"erase", "0", "STAR.kxd"}), (ToolRun{3, "", kEraseQuestion}));  // no terminal: No
    EXPECT_EQ(onCard({"--yes", "erase", "0", "ROSE.kxd"}),
              (ToolRun{3, "", "kxcard: no design \"ROSE.kxd\" in EmbF5\n"}));
    EXPECT_EQ(onCard({"list", "0"}).out, "CARD.kxd\nHEART.kxd\nSTAR.kxd\n");
    fs::remove(folder / "CARD.kxt");  // a design without its thumbnail goes all the same
    EXPECT_EQ(onCard({"--yes", "erase", "0", "STAR.kxd", "card.kxd"}), (ToolRun{0, "", kEraseQuestion}));
    EXPECT_EQ(onCard({"list", "0"}).out, "HEART.kxd\n");
    EXPECT_TRUE(!fs::exists(folder / "STAR.kxt") && fs::exists(folder / "HEART.kxt"));
}

}  // namespace
}  // namespace kx::test
