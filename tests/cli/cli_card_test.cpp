// The card commands end to end: command-line mistakes, no card, a blank card along a user's path
// (check, rename, write, verify, read, erase, list), migration and failed writes.
#include "tool_runner.h"

namespace kx::test {
namespace {

// A mistake gets one line and where to look, never the whole help page; a --card folder that is
// not there is no card.
TEST_F(ToolTest, MistakesExit64WithOneLineAndAHintAndHelpAndVersionGoToStdout) {
    put("plain.txt", {1});
    for (const char* mistake : {"", "dance", "--yes --no check", "list 12", "list EmbF4", "list -1",
                                "list embf17", "write 0", "rename 0 ''", "read 0 A.kxd --to plain.txt", "convert x.kxd",
                                "preview x.kxd -o x.png --size 0x10", "preview x -o y --size wide"}) {
        ToolRun r = sh("kxcard " + std::string(mistake));
        const std::size_t hint = r.err.find("\nRun 'kxcard");
        EXPECT_TRUE(r.status == 64 && r.out.empty() && r.err.starts_with("kxcard: ") && hint != std::string::npos &&
                    r.err.find('\n', hint + 1) == r.err.size() - 1 && r.err.find("Usage") == std::string::npos)
            << mistake << r;
    }
    walk({{"kxcard list 12", {64, "", "kxcard: FOLDER: a folder is 0 to 11 or EmbF5 to EmbF16, not 12\n"
                                     "Run 'kxcard list --help' for how to use it.\n"}},
          {"kxcard dance", {64, "", "kxcard: no command named dance\nRun 'kxcard --help' for how to use it.\n"}}});
    for (const char* command : {"check", "folders", "drives", "list 0", "write 0 pc/HEART.kxd", "verify", "--yes erase 0 A.kxd", "rename 0 A"}) {
        walk({{"kxcard --card missing " + std::string(command), {3, "", "kxcard: missing: no card there (No such file or directory)\n"}},
              {"kxcard --card plain.txt " + std::string(command), {3, "", "kxcard: plain.txt: no card there (Not a directory)\n"}}});
    }
    ToolRun help = sh("kxcard preview --help");
    EXPECT_TRUE(help.status == 0 && help.err.empty() && help.out.find("--size") != std::string::npos) << help;
    walk({{"ls card", {}}, {"kxcard --version", {0, "kxcard " KX_VERSION "\n", ""}}});
}

TEST_F(ToolTest, WithoutACardTheQuestionThenHowToNameACardFolderAndExit3) {
    if (sh("kxcard drives").status == 0) GTEST_SKIP() << "this machine has a removable drive";
    const ToolRun noCard{3, "", "Confirm: Is the ATA PC Card correctly inserted into your PC or Adapter's card slot?\n"
                                "Is the Card adapter connected to your PC correctly?\n"
                                "kxcard: no removable drive; name a folder to use as the card with --card DIR\n"};
    for (std::string command : {"check", "folders", "drives", "verify"})
        walk({{"kxcard " + command, noCard}, {"kxcard --yes " + command, noCard}});  // OK finds no card either
}

// The folders listing (index, folder, display name, has designs); `changed` gives rows' last two.
std::string Folders(std::map<int, std::string> changed) {
    std::string rows;
    for (int i = 0; i < 12; ++i) {
        std::string folder = "EmbF" + std::to_string(i + 5);
        rows += std::to_string(i) + "\t" + folder + "\t" + (changed.contains(i) ? changed[i] : folder + "\t0") + "\n";
    }
    return rows;
}

TEST_F(ToolTest, ABlankCardFromCheckThroughRenameWriteVerifyReadAndErase) {
    const std::string erase = "Confirm: Are you sure you want to delete the selected designs from the ATA PC Card?\n",
                      sound = "no findings: the card is sound\n", folder = fs::canonical(card).string();
    walk({{"card rename 0 123456789", {3, "", "Rename: To maximum 8 characters\n"}},
          {"card rename 0 'a?b'",
           {3, "", "Rename: A filename cannot contain any of the following characters:\n \\ / : * ? \" < > |\n"}},
          {"ls card", {}}});  // names refused before the card is looked at
    ToolRun check = sh("card check"), drives = sh("card drives");
    EXPECT_TRUE(check.status == 0 && check.err.empty() && check.out.ends_with(":\\\t" + folder + "\tready\n")) << check;
    EXPECT_NE(drives.out.find(":\\\tremovable\t" + folder + "\tdefault\n"), std::string::npos) << drives;
    EXPECT_EQ(drives.out.find("\tdefault\n"), drives.out.rfind("\tdefault\n")) << drives;  // one default only
    walk({{"cd card && echo *",
           {0, "EmbF10 EmbF11 EmbF12 EmbF13 EmbF14 EmbF15 EmbF16 EmbF5 EmbF6 EmbF7 EmbF8 EmbF9 Emb_OrdF.dat\n", ""}},
          {"card rename 2 Roses && card rename EmbF16 12345678 && card rename 2 Roses", {}},  // the same again: fine
          // No terminal: no progress lines either.
          {"card write 0 pc/HEART.kxd pc/STAR.kxd pc/CARD.kxd && card list EmbF5", {0, "CARD.kxd\nHEART.kxd\nSTAR.kxd\n", ""}},
          {"kxcard thumbnail card/EmbF5/STAR.kxd -o star.kxt && cmp star.kxt card/EmbF5/STAR.kxt", {}},
          {"card verify", {0, sound, ""}},
          {"cd card && rm EmbF5/HEART.kxt && printf 1 >EmbF5/ORPHAN.kxt && printf 1 >EmbF6/notes.txt && cp -r . ../before", {}}});
    const std::string order = Slurp(card / "Emb_OrdF.dat");
    EXPECT_EQ(order.substr(160 + 12 * 2, 8), std::string("Roses\0\0\0", 8));
    EXPECT_EQ(order.substr(160 + 12 * 11, 8), "12345678");
    walk({{"card verify", {1, "EmbF5/HEART.kxd: no thumbnail\nEmbF5/ORPHAN.kxt: a thumbnail without its design\n"
                              "EmbF6/notes.txt: neither a design nor a thumbnail\n"
                              "3 findings, 2 of them repairable with --repair\n", ""}},
          {"card verify --json 1",
           {1, "{\"repair\": false, \"findings\": [\n  {\"path\": \"EmbF6/notes.txt\", \"folder\": \"EmbF6\", "
               "\"file\": \"notes.txt\", \"problem\": \"foreign-entry\", \"what\": \"neither a design nor a thumbnail\", "
               "\"repair\": \"none\", \"repaired\": false}], "
               "\"salvage\": null, \"summary\": \"1 finding, 0 of them repairable with --repair\", \"sound\": false}\n", ""}},
          {"diff -r before card", {}},
          {"card verify --repair", {1, "EmbF5/HEART.kxd: no thumbnail; thumbnail written\n"
                                       "EmbF5/ORPHAN.kxt: a thumbnail without its design; deleted\n"
                                       "EmbF6/notes.txt: neither a design nor a thumbnail; left as it is\n"
                                       "3 findings: 2 repaired, 1 not\n", ""}},
          {"rm card/EmbF6/notes.txt && card verify --repair", {0, sound, ""}},
          {"card verify EmbF4 2>/dev/null", {64, "", ""}},
          // Names match without regard to case; thumbnails stay on the card; without --to, here.
          {"mkdir into; card read 0 heart.KXD ROSE.kxd STAR.kxd --to into", {1, "", "kxcard: no design \"ROSE.kxd\" in EmbF5\n"}},
          {"cmp into/HEART.kxd card/EmbF5/HEART.kxd && ls into", {0, "HEART.kxd\nSTAR.kxd\n", ""}},
          {"cd into && card read 0 CARD.kxd && ls", {0, "CARD.kxd\nHEART.kxd\nSTAR.kxd\n", ""}},
          {"card read 1 HEART.kxd", {3, "", "kxcard: no design \"HEART.kxd\" in EmbF6\n"}},
          {"card --no erase 0 STAR.kxd", {3, "", erase}},
          {"card erase 0 STAR.kxd", {3, "", erase}},  // no terminal: No
          {"card --yes erase 0 ROSE.kxd", {3, "", "kxcard: no design \"ROSE.kxd\" in EmbF5\n"}},
          {"card list 0", {0, "CARD.kxd\nHEART.kxd\nSTAR.kxd\n", ""}},
          // A design without its thumbnail goes all the same.
          {"rm card/EmbF5/CARD.kxt && card --yes erase 0 STAR.kxd card.kxd", {0, "", erase}},
          {"card list 0", {0, "HEART.kxd\n", ""}},
          {"ls card/EmbF5", {0, "HEART.kxd\nHEART.kxt\n", ""}},
          // The list holds designs only, in byte order; a folder is named by index or name in any case.
          {"cd card && for f in rose.kxd B.kxd Tulip.KXD a.kxd rose.kxt read.me; do printf 1 >EmbF7/$f; done && "
           "printf 1 >EmbF8/notes.txt && card list 2 && card list eMBf7",
           {0, "B.kxd\nTulip.KXD\na.kxd\nrose.kxd\nB.kxd\nTulip.KXD\na.kxd\nrose.kxd\n", ""}},
          {"card folders", {0, Folders({{0, "EmbF5\t1"}, {2, "Roses\t1"}, {11, "12345678\t0"}}), ""}}});
}

TEST_F(ToolTest, MigrationRefusedDoesNothingAndExits3AcceptedMovesTheFolders) {
    put("card/EMB_FILE/old.kxd", {1});
    fs::create_directory(card / "PC_LINK");
    ToolRun no = sh("card --no folders");
    const std::string question = "Attention: A folder name from a previous version has been detected in the card.\n";
    EXPECT_TRUE(no.status == 3 && no.out.empty() && no.err.starts_with(question)) << no;
    walk({{"ls card", {0, "EMB_FILE\nPC_LINK\n", ""}},
          {"card --yes folders", {0, Folders({{0, "EmbF5\t1"}}), no.err}},  // asked the same; the answer decides
          {"ls card/EmbF5 card/EmbF6", {0, "card/EmbF5:\nold.kxd\n\ncard/EmbF6:\n", ""}}});
}

TEST_F(ToolTest, WriteFailuresShowTheCardsMessagesOrNoneAndSetTheExitStatus) {
    fs::create_directories(card / "EmbF5" / "STAR.kxd");  // a folder in the way: the copy fails
    put("pc/notes.txt", {1, 2, 3});
    put("pc/EMPTY.kxd", {});
    // A missing file, one not named as a design and an empty one are skipped without a message of
    // the card's; the tool's own line says why. STAR is the folder in the way; CARD, after it, never went.
    for (const Step& step : std::vector<Step>{
             {"GIANT.kxd pc/FILL.kxd pc/HEART.kxd",
              {1, "", "Attention: The \"GIANT\" design exceeds the hoop size limits.\n"
                      "Attention: The design is too large and cannot be sent in this menu.\n"
                      "The pattern (FILL) exceeds the 64000 stitch limit.\n"}},
             {"NOSUCH.kxd pc/HEART.kxd", {1, "", "kxcard: NOSUCH.kxd: No such file or directory\n"}},
             {"notes.txt pc/HEART.kxd", {1, "", "kxcard: notes.txt: Not named as a design (.kxd)\n"}},
             {"EMPTY.kxd pc/HEART.kxd", {1, "", "kxcard: EMPTY.kxd: The file is empty\n"}},
             {"HEART.kxd pc/STAR.kxd pc/CARD.kxd",
              {2, "", "kxcard: EmbF5/STAR.kxd: Is a directory\nError: Out of memory space.\n"}}})
        walk({{"card write 0 pc/" + step.first, step.second}, {"card list 0", {0, "HEART.kxd\nSTAR.kxd\n", ""}}});
}


// --repair moves a torn design and its thumbnail off the card into the salvage folder, byte for
// byte, and says where; one the write stored as it is (no end record) is named and stays; a
// salvage folder that cannot be made leaves the card as it was.
TEST_F(ToolTest, RepairMovesATornDesignIntoTheSalvageFolderAndLeavesAnUnterminatedOneOnTheCard) {
    const std::string torn = "EmbF5/HEART.kxd: 300 bytes, shorter than the records its header counts; ";
    walk({{"head -c -2 pc/STAR.kxd >pc/OPEN.kxd && printf '\\0\\0' >>pc/OPEN.kxd && card write 0 pc/HEART.kxd pc/OPEN.kxd", {}},
          {"head -c 300 card/EmbF5/HEART.kxd >cut && cp cut card/EmbF5/HEART.kxd && cp -r card before && touch plain", {}}});
    const std::string unterminated =
        "EmbF5/OPEN.kxd: " + std::to_string(fs::file_size(card / "EmbF5/OPEN.kxd")) +
        " bytes, its stitches end without an end record (the write stores such a PC design as it is)";
    walk({{"card verify --repair --salvage plain/saved",
           {1, torn + "could not be moved off the card whole: left on it\n" + unterminated + "; left as it is\n"
               "salvage folder: " + (root / "plain/saved").string() + "\n2 findings: 0 repaired, 2 not\n", ""}},
          {"diff -r before card", {}},
          {"card verify --repair --salvage saved",
           {1, torn + "moved off the card into the salvage folder\n" + unterminated + "; left as it is\n"
               "salvage folder: " + (root / "saved").string() + "\n2 findings: 1 repaired, 1 not\n", ""}},
          {"cmp cut saved/EmbF5/HEART.kxd && cmp before/EmbF5/HEART.kxt saved/EmbF5/HEART.kxt && ls card/EmbF5 && ls saved/EmbF5",
           {0, "OPEN.kxd\nOPEN.kxt\nHEART.kxd\nHEART.kxt\n", ""}},
          {"cp cut card/EmbF5/HEART.kxd && mkdir here && cd here && card verify --repair --json 0 >/dev/null; "
           "cmp ../cut kxcard-salvage-*/EmbF5/HEART.kxd && ls ../card/EmbF5", {0, "OPEN.kxd\nOPEN.kxt\n", ""}}});
}

}  // namespace
}  // namespace kx::test
