// The tool's command line, card finding, layout check, folders, listing and renaming.
#include <gtest/gtest.h>

#include <fstream>

#include "tool_runner.h"

namespace kx::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNoCard =
    "Confirm: Is the ATA PC Card correctly inserted into your PC or Adapter's card slot?\n"
    "Is the Card adapter connected to your PC correctly?\n";
constexpr const char* kMigrationStart = "Attention: A folder name from a previous version has been detected";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

TEST(ToolUsage, MistakesExitWith64AndTheUsageOnStderr) {
    ToolSandbox box;
    fs::path notAFolder = box.put(box.root() / "plain.txt", {1});
    const std::vector<std::vector<std::string>> mistakes{
        {},
        {"dance"},
        {"--card", notAFolder.string(), "check"},
        {"--card", (box.root() / "missing").string(), "check"},
        {"--yes", "--no", "check"},
        {"list", "12"},
        {"list", "EmbF4"},
        {"list", "-1"},
        {"list", "embf17"},
        {"write", "0"},
        {"rename", "0", ""},
        {"read", "0", "A.kxd", "--to", notAFolder.string()},
        {"preview", "x.kxd", "-o", "x.png", "--size", "0x10"},
        {"preview", "x.kxd", "-o", "x.png", "--size", "wide"},
        {"convert", "x.kxd"},
    };
    for (const auto& args : mistakes) {
        std::string line;
        for (const std::string& a : args) line += a + " ";
        ToolRun r = box.run(args);
        EXPECT_EQ(r.status, 64) << line;
        EXPECT_NE(r.err.find("Usage:"), std::string::npos) << line << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << line;
    }
    // Nothing reached the card folder.
    EXPECT_TRUE(fs::is_empty(box.card()));
}

TEST(ToolUsage, ACardThatIsNotAFolderIsNamedInTheMessage) {
    ToolSandbox box;
    fs::path file = box.put(box.root() / "card.img", {0});
    ToolRun r = box.run({"--card", file.string(), "folders"});
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("--card"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(file.string()), std::string::npos) << r.err;
}

TEST(ToolUsage, HelpForTheToolAndEachCommandGoesToStdout) {
    ToolSandbox box;
    ToolRun top = box.run({"--help"});
    EXPECT_EQ(top.status, 0);
    for (const char* command : {"drives", "check", "folders", "list", "write", "read", "erase", "rename",
                                "info", "convert", "thumbnail", "preview", "demo", "--card", "--yes", "--no"})
        EXPECT_NE(top.out.find(command), std::string::npos) << command;
    ToolRun write = box.run({"write", "--help"});
    EXPECT_EQ(write.status, 0);
    EXPECT_NE(write.out.find("FOLDER"), std::string::npos);
    EXPECT_NE(write.out.find("FILE"), std::string::npos);
    ToolRun preview = box.run({"preview", "--help"});
    EXPECT_NE(preview.out.find("--size"), std::string::npos);
}

TEST(ToolCard, WithoutACardTheMissingCardMessageAndExit3) {
    ToolSandbox box;
    if (box.run({"drives"}).status == 0) GTEST_SKIP() << "this machine has a removable drive";
    for (const char* command : {"check", "folders", "drives"}) {
        ToolRun r = box.run({command});
        EXPECT_EQ(r.status, 3) << command;
        EXPECT_EQ(r.err, kNoCard) << command;
    }
}

TEST(ToolCard, CheckMakesABlankCardReady) {
    ToolSandbox box;
    ToolRun r = box.onCard({"check"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty());
    EXPECT_NE(r.out.find("ready"), std::string::npos);
    EXPECT_EQ(fs::file_size(box.card() / "Emb_OrdF.dat"), 304u);
    for (int n = 5; n <= 16; ++n)
        EXPECT_TRUE(fs::is_directory(box.card() / ("EmbF" + std::to_string(n)))) << n;
}

TEST(ToolCard, DrivesMarksTheGivenCardAsDefault) {
    ToolSandbox box;
    ToolRun r = box.onCard({"drives"});
    ASSERT_EQ(r.status, 0) << r.err;
    int defaults = 0;
    for (const std::string& line : Lines(r.out)) {
        if (line.ends_with("\tdefault")) {
            ++defaults;
            EXPECT_NE(line.find("\tremovable\t" + fs::canonical(box.card()).string() + "\t"),
                      std::string::npos)
                << line;
        }
    }
    EXPECT_EQ(defaults, 1) << r.out;
}

TEST(ToolCard, FoldersListsTwelveWithNamesAndDesignFlags) {
    ToolSandbox box;
    box.put(box.card() / "EmbF7" / "rose.kxd", {1, 2, 3});
    box.put(box.card() / "EmbF8" / "notes.txt", {1});
    ToolRun r = box.onCard({"folders"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 12u) << r.out;
    EXPECT_EQ(lines[0], "0\tEmbF5\tEmbF5\t0");
    EXPECT_EQ(lines[2], "2\tEmbF7\tEmbF7\t1");
    EXPECT_EQ(lines[3], "3\tEmbF8\tEmbF8\t0");
    EXPECT_EQ(lines[11], "11\tEmbF16\tEmbF16\t0");
}

TEST(ToolCard, MigrationPromptAnsweredNoByFlagOrByTheMissingTerminal) {
    ToolSandbox box;
    box.put(box.card() / "EMB_FILE" / "old.kxd", {1});
    fs::create_directory(box.card() / "PC_LINK");
    for (const auto& answer : std::vector<std::vector<std::string>>{{"--no"}, {}}) {
        std::vector<std::string> args = answer;
        args.push_back("folders");
        ToolRun r = box.onCard(args);
        EXPECT_EQ(r.status, 3);
        EXPECT_TRUE(r.err.starts_with(kMigrationStart)) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_TRUE(fs::exists(box.card() / "EMB_FILE" / "old.kxd"));
        EXPECT_FALSE(fs::exists(box.card() / "EmbF5"));
    }
    ToolRun yes = box.onCard({"--yes", "folders"});
    EXPECT_EQ(yes.status, 0) << yes.err;
    EXPECT_TRUE(fs::exists(box.card() / "EmbF5" / "old.kxd"));
    EXPECT_TRUE(fs::is_directory(box.card() / "EmbF6"));
    EXPECT_EQ(Lines(yes.out).at(0), "0\tEmbF5\tEmbF5\t1");
}

TEST(ToolCard, ListShowsDesignFilesInTheDesignListOrder) {
    ToolSandbox box;
    for (const char* name : {"rose.kxd", "B.kxd", "Tulip.KXD", "a.kxd", "rose.kxt", "read.me"})
        box.put(box.card() / "EmbF6" / name, {1});
    for (const char* folder : {"1", "EmbF6", "embf6", "EMBF6"}) {
        ToolRun r = box.onCard({"list", folder});
        EXPECT_EQ(r.status, 0) << folder << r.err;
        EXPECT_EQ(r.out, "B.kxd\nTulip.KXD\na.kxd\nrose.kxd\n") << folder;
    }
    ToolRun empty = box.onCard({"list", "0"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_TRUE(empty.out.empty());
}

std::string DisplayNameBytes(const fs::path& orderFile, int folder) {
    auto bytes = ReadFileBytes(orderFile);
    std::size_t at = 160 + 12 * static_cast<std::size_t>(folder);
    return std::string(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + 8));
}

TEST(ToolCard, RenameWritesTheDisplayNameIntoTheOrderFile) {
    ToolSandbox box;
    ToolRun r = box.onCard({"rename", "2", "Roses"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(DisplayNameBytes(box.card() / "Emb_OrdF.dat", 2), std::string("Roses\0\0\0", 8));
    EXPECT_TRUE(fs::is_directory(box.card() / "EmbF7"));
    EXPECT_EQ(Lines(box.onCard({"folders"}).out).at(2), "2\tEmbF7\tRoses\t0");

    EXPECT_EQ(box.onCard({"rename", "EmbF16", "12345678"}).status, 0);
    EXPECT_EQ(DisplayNameBytes(box.card() / "Emb_OrdF.dat", 11), "12345678");
    // The same name again changes nothing and is no failure.
    EXPECT_EQ(box.onCard({"rename", "2", "Roses"}).status, 0);
}

TEST(ToolCard, RenameRefusesBadNamesWithTheDialogsMessagesAndTouchesNothing) {
    ToolSandbox box;
    ToolRun tooLong = box.onCard({"rename", "0", "123456789"});
    EXPECT_EQ(tooLong.status, 3);
    EXPECT_EQ(tooLong.err, "Rename: To maximum 8 characters\n");
    ToolRun forbidden = box.onCard({"rename", "0", "a?b"});
    EXPECT_EQ(forbidden.status, 3);
    EXPECT_EQ(forbidden.err,
              "Rename: A filename cannot contain any of the following characters:\n \\ / : * ? \" < > |\n");
    // The name is refused before the card is looked at.
    EXPECT_TRUE(fs::is_empty(box.card()));
}

}  // namespace
}  // namespace kx::test
