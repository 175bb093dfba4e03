// verify end to end: lines, JSON, repair and exit statuses on a card the tool wrote and then
// damaged by hand.
#include <map>

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

}  // namespace
}  // namespace kx::test
