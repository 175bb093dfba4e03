// verify end to end: lines, JSON, repair and exit statuses on a card the tool wrote and then
// damaged by hand, and on the bad inputs a card can carry.
#include "tool_runner.h"

namespace kx::test {
namespace {

// Every file under `folder` with its contents.
std::map<std::string, std::string> Tree(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        files[entry.path().string()] = entry.is_regular_file() ? Slurp(entry.path()) : "<folder>";
    return files;
}

TEST_F(ToolTest, VerifyFindsWhatIsWrongChangesNothingUntilRepairAndPassesAfterwards) {
    ASSERT_EQ(onCard({"write", "0", sample("HEART.kxd"), sample("STAR.kxd")}).status, 0);
    EXPECT_EQ(onCard({"verify"}), (ToolRun{0, "no findings: the card is sound\n", ""}));

    fs::remove(card / "EmbF5" / "HEART.kxt");
    put(card / "EmbF5" / "ORPHAN.kxt", {1});
    put(card / "EmbF6" / "notes.txt", {1});
    const auto damaged = Tree(card);
    EXPECT_EQ(onCard({"verify"}),
              (ToolRun{1,
                       "EmbF5/HEART.kxd: no thumbnail\n"
                       "EmbF5/ORPHAN.kxt: a thumbnail without its design\n"
                       "EmbF6/notes.txt: neither a design nor a thumbnail\n"
                       "3 findings, 2 of them repairable with --repair\n",
                       ""}));
    EXPECT_EQ(onCard({"verify", "EmbF6", "11"}).out,
              "EmbF6/notes.txt: neither a design nor a thumbnail\n"
              "1 finding, 0 of them repairable with --repair\n");
    ToolRun json = onCard({"verify", "--json", "1"});
    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(json.out,
              "{\"repair\": false, \"findings\": [\n"
              "  {\"path\": \"EmbF6/notes.txt\", \"folder\": \"EmbF6\", \"file\": \"notes.txt\", "
              "\"problem\": \"foreign-entry\", \"what\": \"neither a design nor a thumbnail\", "
              "\"repair\": \"none\", \"repaired\": false}],\n"
              " \"summary\": \"1 finding, 0 of them repairable with --repair\", \"sound\": false}\n");
    EXPECT_EQ(Tree(card), damaged);

    EXPECT_EQ(onCard({"verify", "--repair"}),
              (ToolRun{1,
                       "EmbF5/HEART.kxd: no thumbnail; thumbnail written\n"
                       "EmbF5/ORPHAN.kxt: a thumbnail without its design; deleted\n"
                       "EmbF6/notes.txt: neither a design nor a thumbnail; left as it is\n"
                       "3 findings: 2 repaired, 1 not\n",
                       ""}));
    fs::remove(card / "EmbF6" / "notes.txt");
    EXPECT_EQ(onCard({"verify", "--repair"}), (ToolRun{0, "no findings: the card is sound\n", ""}));
    EXPECT_EQ(onCard({"verify", "EmbF4"}).status, 64);
}

TEST_F(ToolTest, VerifyReportsBadInputWithoutFailingOrRepairingWhatItCannot) {
    fs::create_directories(card / "Emb_OrdF.dat");
    put(card / "EmbF5" / "EMPTY.kxd", {});
    put(card / "EmbF5" / (std::string(251, 'L') + ".kxd"), samples::GenerateDesign(5'000'000, 10, 1));
    put(card / "EmbF5" / "WHAT?.kxt", {1});
    ToolRun r = onCard({"verify", "--repair", "0"});
    EXPECT_EQ(r.status, 1) << r;
    for (const std::string& line : std::vector<std::string>{
             "Emb_OrdF.dat: a folder stands where the order file belongs; left as it is\n",
          "EmbF5/EMPTY.kxd: 0 bytes, shorter than a design's header; left as it is\n",
          "EmbF5/" + std::string(251, 'L') +
              ".kxd: 5000000 records, more than the card's 65535; left as it is\n",
          "EmbF5/WHAT?.kxt: a name the card's FAT volume cannot hold; left as it is\n",
          "EmbF5/WHAT?.kxt: a thumbnail without its design; deleted\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r;
    EXPECT_TRUE(fs::is_directory(card / "Emb_OrdF.dat"));
}

}  // namespace
}  // namespace kx::test
