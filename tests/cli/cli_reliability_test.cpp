// The tool under what once lost data or left the user without a reason: two processes at once,
// a held card, names a card cannot hold, case twins, links, FIFOs and failures the card's own
// messages leave unexplained.
#include "support/refused_names.h"
#include "tool_runner.h"

namespace kx::test {
namespace {

TEST_F(ToolTest, TwoWritersAtOnceKeepEveryDesignWholeAndTheHundredLimit) {
    for (std::uint32_t i = 0; i < 16; ++i)
        put("pc/" + std::string(i < 8 ? "A" : "B") + std::to_string(i) + ".kxd", samples::GenerateDesign(400 + i * 50, 3, i));
    std::string renamed;
    for (char round : std::string("01234"))
        renamed += std::string("0\tEmbF5\tA") + round + "\t1\n1\tEmbF6\tB" + round + "\t0\n";
    // 90 designs on the card: one writer fills the folder, the other meets the limit (1) or writes only
    // what fits; every design there is whole (as the reference card has it) and no side file is left.
    walk({{"mkdir reference && kxcard --card reference write 0 pc/A*.kxd pc/B*.kxd && for round in 1 2 3; do\n"
           "  rm -rf card && mkdir -p card/EmbF5 && for i in $(seq 90); do printf 1 >card/EmbF5/D$i.kxd; done\n"
           "  card write 0 pc/A*.kxd 2>/dev/null & card write 0 pc/B*.kxd 2>/dev/null; b=$?; wait $!\n"
           "  [ $? -le 1 ] && [ $b -le 1 ] || exit\n"
           "  for f in card/EmbF5/[AB]*; do cmp $f reference/EmbF5/${f##*/} || exit; done\n"
           "  ls card/EmbF5 | grep -c 'kxd$' && ! ls card/EmbF5 | grep '^~' || exit\n"
           "done",
           {0, "100\n100\n100\n", ""}},
          {"for round in 0 1 2 3 4; do\n"
           "  card rename 0 A$round & card rename 1 B$round; b=$?; wait $! && [ $b = 0 ] || exit\n"
           "  card folders | grep \"[AB]$round\t\"\n"
           "done",
           {0, renamed, ""}}});
}

TEST_F(ToolTest, ACommandWaitsAMomentForAHeldCardThenRefusesWithExit3) {
    walk({{"card check >/dev/null && (flock 9 && card write 0 pc/HEART.kxd) 9<card",
           {3, "", "kxcard: " + card.string() + ": the card is in use by another kxcard command; try again when it has ended\n"}},
          {"ls card/EmbF5 && card write 0 pc/HEART.kxd && ls card/EmbF5", {0, "HEART.kxd\nHEART.kxt\n", ""}}});
}

TEST_F(ToolTest, NamesACardCannotHoldAreRefusedByNameAndNothingElseIsTouched) {
    std::string refusals;
    for (const char* name : {"x:HEART.kxd", "..\\outside\\HEART.kxd", "HEART.kxd.", "HEART.kxd "}) {
        put(std::string("pc/") + name, samples::GenerateDesign(100, 1, 7));
        refusals += std::string("kxcard: ") + name + ": The card cannot hold this name (1 to 255 characters, none of "
                    "\\ / : * ? \" < > |, no trailing dot or space)\n";
    }
    put("outside/HEART.kxd", {'x'});
    walk({{"card write 0 pc/HEART.kxd && cp -r card before", {}},
          {"card write 0 'pc/x:HEART.kxd' 'pc/..\\outside\\HEART.kxd' 'pc/HEART.kxd.' 'pc/HEART.kxd '", {1, "", refusals}},
          {"diff -r before card && cat outside/HEART.kxd", {0, "x", ""}}});
}

// The PC side is not bound by Windows' path limit, the card is: a design deep in PC folders goes
// (and converts), one whose name would pass 259 characters on the card is refused saying so.
TEST_F(ToolTest, LongPcPathsAreWrittenAndNamesTooLongForTheCardSaySo) {
    const std::string deep = "pc/" + std::string(120, 'd') + "/" + std::string(120, 'e') + "/";
    const std::string &tooLong = test::kNameTooLongForCard, &fits = test::kLongestNameForCard;
    for (const std::string& name : {std::string("HEART.kxd"), tooLong, fits}) put(deep + name, Slurp<Bytes>(pc / "HEART.kxd"));
    walk({{"card write 0 " + deep + "HEART.kxd " + deep + tooLong + " " + deep + fits,
           {1, "", "kxcard: " + tooLong + ": The name is too long for the card: its path there would pass 259 characters\n"}},
          {"ls card/EmbF5 | cut -c1-10 && cmp card/EmbF5/HEART.kxd card/EmbF5/" + fits + " && kxcard convert " + deep +
               "HEART.kxd -o out.kxd && cmp out.kxd card/EmbF5/HEART.kxd",
           {0, "HEART.kxd\nHEART.kxt\nffffffffff\nffffffffff\n", ""}}});
}

TEST_F(ToolTest, NamesDifferingOnlyInCaseAreRefusedForEraseAndRead) {
    const std::string refusal = "kxcard: EmbF5/ROSE.kxd: 2 designs differ from this name only in case, "
                                "which a card cannot hold; none is touched\n";
    walk({{"card check >/dev/null && cp -r pc before && cd card/EmbF5 && printf 1 | tee Rose.kxd rose.kxd >rose.kxt", {}},
          {"card --yes erase 0 ROSE.kxd", {3, "", refusal}},
          {"card read 0 ROSE.kxd --to pc", {3, "", refusal}},
          {"ls card/EmbF5 && diff -r before pc", {0, "Rose.kxd\nrose.kxd\nrose.kxt\n", ""}}});
}

// Each case's set-up and command and what the tool says; files outside the card stay as they were.
TEST_F(ToolTest, FailuresTheCardLeavesUnexplainedGetTheToolsLine) {
    for (const auto& [script, expected] : std::vector<Step>{
             {"mkdir card/Emb_OrdF.dat && card check", {3, "", "kxcard: Emb_OrdF.dat: Is a directory\n"}},
             {"card check >/dev/null && mv card/Emb_OrdF.dat outside && ln -s \"$ROOT/outside/Emb_OrdF.dat\" card && "
              "card rename 0 Roses",
              {1, "", "kxcard: Emb_OrdF.dat: Is a link\n"}},
             {"printf 1 >card/EmbF5 && card write 0 pc/HEART.kxd",
              {2, "", "kxcard: EmbF5/HEART.kxd: Not a directory\nError: Out of memory space.\n"}},
             {"mkfifo pc/F.kxd && card info pc/F.kxd", {1, "", "kxcard: pc/F.kxd: Is a FIFO\n"}}}) {
        walk({{"rm -rf card outside && mkdir card outside && printf '\\7' >outside/keep\n" + script, expected}});
        EXPECT_EQ(Slurp(root / "outside/keep"), "\7") << script;
    }
}

}  // namespace
}  // namespace kx::test
