// The tool under what once lost data or left the user without a reason: two processes at once,
// a held card, names a card cannot hold, case twins, links, FIFOs and failures the card's own
// messages leave unexplained.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "samples/sample_designs.h"
#include "tool_runner.h"

namespace kx::test {
namespace {

class ToolReliability : public ToolTest {
protected:
    // `commands` (argument lists) started at once as separate processes; their exit statuses.
    std::vector<int> runAtOnce(const std::vector<std::vector<std::string>>& commands) const {
        std::string script;
        for (std::size_t i = 0; i < commands.size(); ++i) {
            script += "(TMPDIR=" + Quote(root / "tmp") + " " + Quote(KXCARD_PATH) + " --card " + Quote(card);
            for (const std::string& a : commands[i]) script += " " + Quote(a);
            script += " </dev/null >/dev/null 2>&1; echo $? >" + Quote(root / ("status" + std::to_string(i))) + ") & ";
        }
        EXPECT_EQ(std::system((script + "wait").c_str()), 0);
        std::vector<int> statuses;
        for (std::size_t i = 0; i < commands.size(); ++i)
            statuses.push_back(std::stoi("0" + Slurp(root / ("status" + std::to_string(i)))));
        return statuses;
    }
    std::vector<std::string> cardFolder(const std::string& folder = "EmbF5") const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(card / folder)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(ToolReliability, TwoWritersAtOnceKeepEveryDesignWholeAndTheHundredLimit) {
    fs::path reference = root / "reference";
    std::vector<std::string> first{"write", "0"}, second{"write", "0"};
    for (std::uint32_t i = 0; i < 16; ++i) {
        std::string name = (i < 8 ? "A" : "B") + std::to_string(i) + ".kxd";
        (i < 8 ? first : second).push_back(put(pc / name, samples::GenerateDesign(400 + i * 50, 3, i)).string());
    }
    fs::create_directory(reference);
    std::vector<std::string> all{"--card", reference.string(), "write", "0"};
    all.insert(all.end(), first.begin() + 2, first.end());
    all.insert(all.end(), second.begin() + 2, second.end());
    ASSERT_EQ(run(all).status, 0);
    for (int round = 0; round < 3; ++round) {
        fs::remove_all(card);
        for (int i = 0; i < 90; ++i) put(card / "EmbF5" / ("D" + std::to_string(i) + ".kxd"), {1});
        std::vector<int> statuses = runAtOnce({first, second});
        // One fills the folder; the other meets the limit (1) or writes only what fits.
        for (int status : statuses) EXPECT_TRUE(status == 0 || status == 1) << status;
        std::vector<std::string> names = cardFolder();
        EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const std::string& n) { return n.ends_with(".kxd"); }), 100);
        for (const std::string& name : names)
            if (name[0] == 'A' || name[0] == 'B') {
                EXPECT_EQ(Slurp(card / "EmbF5" / name), Slurp(reference / "EmbF5" / name)) << name;
            }
        EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const std::string& n) { return n[0] == '~'; }), 0);
    }
    for (int round = 0; round < 5; ++round) {
        std::string a = "A" + std::to_string(round), b = "B" + std::to_string(round);
        EXPECT_EQ(runAtOnce({{"rename", "0", a}, {"rename", "1", b}}), (std::vector<int>{0, 0}));
        std::string folders = onCard({"folders"}).out;
        EXPECT_NE(folders.find("0\tEmbF5\t" + a + "\t"), std::string::npos) << folders;
        EXPECT_NE(folders.find("1\tEmbF6\t" + b + "\t"), std::string::npos) << folders;
    }
}

TEST_F(ToolReliability, ACommandWaitsAMomentForAHeldCardThenRefusesWithExit3) {
    ASSERT_EQ(onCard({"check"}).status, 0);
    int held = ::open(card.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    ToolRun refused = onCard({"write", "0", sample("HEART.kxd")});
    ::close(held);
    EXPECT_EQ(refused.status, 3);
    EXPECT_NE(refused.err.find("the card is in use by another kxcard command"), std::string::npos) << refused;
    EXPECT_EQ(cardFolder(), std::vector<std::string>{});
    EXPECT_EQ(onCard({"write", "0", sample("HEART.kxd")}).status, 0);
}

TEST_F(ToolReliability, NamesACardCannotHoldAreRefusedByNameAndNothingElseIsTouched) {
    ASSERT_EQ(onCard({"write", "0", sample("HEART.kxd")}).status, 0);
    const std::string heart = Slurp(card / "EmbF5" / "HEART.kxd");
    fs::create_directories(root / "outside");
    std::vector<std::string> args{"write", "0"};
    for (const char* name : {"x:HEART.kxd", "..\\outside\\HEART.kxd", "HEART.kxd.", "HEART.kxd "})
        args.push_back(put(pc / name, samples::GenerateDesign(100, 1, 7)).string());
    put(root / "outside" / "HEART.kxd", {1, 2, 3});
    ToolRun r = onCard(args);
    EXPECT_EQ(r.status, 1);
    for (const char* name : {"x:HEART.kxd: ", "..\\outside\\HEART.kxd: ", "HEART.kxd.: ", "HEART.kxd : "})
        EXPECT_NE(r.err.find(std::string("kxcard: ") + name + "The card cannot hold this name"), std::string::npos) << r;
    EXPECT_EQ(cardFolder(), (std::vector<std::string>{"HEART.kxd", "HEART.kxt"}));
    EXPECT_EQ(Slurp(card / "EmbF5" / "HEART.kxd"), heart);
}

TEST_F(ToolReliability, NamesDifferingOnlyInCaseAreRefusedForEraseAndRead) {
    ASSERT_EQ(onCard({"check"}).status, 0);
    for (const char* name : {"Rose.kxd", "rose.kxd", "rose.kxt"}) put(card / "EmbF5" / name, {1});
    const std::string refusal = "kxcard: EmbF5/ROSE.kxd: 2 designs differ from this name only in case";
    ToolRun erase = onCard({"--yes", "erase", "0", "ROSE.kxd"});
    EXPECT_EQ(erase.status, 3);
    EXPECT_TRUE(erase.err.starts_with(refusal)) << erase;
    ToolRun read = onCard({"read", "0", "ROSE.kxd", "--to", pc.string()});
    EXPECT_EQ(read.status, 3);
    EXPECT_TRUE(read.err.starts_with(refusal)) << read;
    EXPECT_EQ(cardFolder(), (std::vector<std::string>{"Rose.kxd", "rose.kxd", "rose.kxt"}));
    EXPECT_TRUE(fs::is_empty(pc));
}

// Each case's set-up, command and what the tool says; files outside the card stay as they were.
TEST_F(ToolReliability, FailuresTheCardLeavesUnexplainedGetTheToolsLine) {
    const fs::path outside = root / "outside";
    auto emptyCard = [&] {
        fs::remove_all(card);
        fs::create_directory(card);
        fs::remove_all(outside);
        put(outside / "keep", {7});
    };
    struct Case {
        const char* what;
        std::function<void()> setUp;
        std::vector<std::string> args;
        ToolRun expected;
    };
    const std::vector<Case> cases{
        {"an order file that cannot be made", [&] { fs::create_directory(card / "Emb_OrdF.dat"); }, {"check"},
         {3, "", "kxcard: Emb_OrdF.dat: Is a directory\n"}},
        {"an order file reached through a link",
         [&] {
             ASSERT_EQ(onCard({"check"}).status, 0);
             fs::rename(card / "Emb_OrdF.dat", outside / "Emb_OrdF.dat");
             fs::create_symlink(outside / "Emb_OrdF.dat", card / "Emb_OrdF.dat");
         },
         {"rename", "0", "Roses"}, {1, "", "kxcard: Emb_OrdF.dat: Is a link\n"}},
        {"a file where a design folder belongs", [&] { put(card / "EmbF5", {1}); }, {"write", "0", sample("HEART.kxd")},
         {2, "", "kxcard: EmbF5/HEART.kxd: Not a directory\nError: Out of memory space.\n"}},
        {"a FIFO to describe", [&] { ASSERT_EQ(::mkfifo((pc / "F.kxd").c_str(), 0666), 0); }, {"info", (pc / "F.kxd").string()},
         {1, "", "kxcard: " + (pc / "F.kxd").string() + ": Is a FIFO\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        emptyCard();
        c.setUp();
        EXPECT_EQ(onCard(c.args), c.expected);
        EXPECT_EQ(Slurp(outside / "keep"), "\x07");
    }
}

}  // namespace
}  // namespace kx::test
