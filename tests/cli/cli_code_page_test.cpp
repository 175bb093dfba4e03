// Folder names in the card's code page: a card whose order file the dialogs wrote under 932 or
// 1252 reads back right, the tool's renames store the code page's bytes, and every --json
// output is a JSON document whatever bytes the names hold.
#include "tool_runner.h"

namespace kx::test {
namespace {

constexpr std::size_t kFolderTable = 160, kEntrySize = 12;

// An order file as the format describes it: "VORLEX", "F", "1", eight zeros, the order names
// OrdF5 to OrdF16, then per folder its display name (8 bytes, zero-filled), three reserved
// zeros and the has-designs flag. `names` holds the display names given as stored bytes.
Bytes OrderFile(const std::map<int, std::string>& names) {
    Bytes image(304, 0);
    const std::string head = "VORLEXF1";
    std::copy(head.begin(), head.end(), image.begin());
    for (std::size_t i = 0; i < 12; ++i) {
        const std::string order = "OrdF" + std::to_string(i + 5);
        std::copy(order.begin(), order.end(), image.begin() + 16 + static_cast<std::ptrdiff_t>(kEntrySize * i));
        const int folder = static_cast<int>(i);
        const std::string name = names.contains(folder) ? names.at(folder) : "EmbF" + std::to_string(i + 5);
        std::copy(name.begin(), name.end(), image.begin() + static_cast<std::ptrdiff_t>(kFolderTable + kEntrySize * i));
    }
    return image;
}

// Folder `folder`'s display name field as the card holds it.
std::string StoredName(const fs::path& card, int folder) {
    return Slurp(card / "Emb_OrdF.dat").substr(kFolderTable + kEntrySize * static_cast<std::size_t>(folder), 8);
}

// The first `count` lines of `folders`, names given.
std::string FolderLines(const std::vector<std::string>& names) {
    std::string lines;
    for (std::size_t i = 0; i < names.size(); ++i)
        lines += std::to_string(i) + "\tEmbF" + std::to_string(i + 5) + "\t" + names[i] + "\t0\n";
    return lines;
}

// 桜花 is 8D F7 89 D4 in 932; ü is FC in 1252. Bytes that are no character of the code page
// (8D in 1252, FC before "c" in 932, a lead byte cut short) and control bytes show escaped.
TEST_F(ToolTest, NamesTheDialogsStoredReadBackInTheirOwnCodePageAndTheRestEscaped) {
    put("card/Emb_OrdF.dat", OrderFile({{0, "\x8d\xf7\x89\xd4"},
                                        {1, "K\xfc" "che"},
                                        {2, "\x8d\xf7\x89\xd4\x8d\xf7\x89\xd4"},  // 8 bytes, no terminator
                                        {3, "Caf\xe9"},
                                        {4, "A\tB\x8d"}}));
    const std::string five = " | head -5";
    walk({{"card --codepage 932 folders" + five,
           {0, FolderLines({"桜花", "K\\xfcche", "桜花桜花", "Caf\\xe9", "A\\x09B\\x8d"}), ""}},
          {"KXCARD_CODEPAGE=932 card folders" + five, {0, FolderLines({"桜花", "K\\xfcche", "桜花桜花", "Caf\\xe9", "A\\x09B\\x8d"}), ""}},
          {"card folders --codepage 1252" + five,
           {0, FolderLines({"\\x8d÷‰Ô", "Küche", "\\x8d÷‰Ô\\x8d÷‰Ô", "Café", "A\\x09B\\x8d"}), ""}},
          {"card --codepage 932 list 2 --json",
           {0, "{\"folder\": \"EmbF7\", \"name\": \"桜花桜花\", \"designs\": []}\n", ""}},
          {"card folders --json | PYTHONIOENCODING=utf-8 python3 -c 'import json,sys\n"
           "for f in json.load(sys.stdin)[\"folders\"][:5]: print(f[\"index\"], f[\"folder\"], f[\"name\"], f[\"hasDesigns\"])'",
           {0, "0 EmbF5 \\x8d÷‰Ô False\n1 EmbF6 Küche False\n2 EmbF7 \\x8d÷‰Ô\\x8d÷‰Ô False\n3 EmbF8 Café False\n"
               "4 EmbF9 A\\x09B\\x8d False\n", ""}}});
}

TEST_F(ToolTest, RenamesStoreTheCodePagesBytesWithTheLimitCountedAfterConversion) {
    walk({{"card --codepage 932 rename 0 桜花桜花 && card --codepage 932 rename 1 能面 && card rename 2 Küche && "
           "card rename 3 Kücheabc",  // eight characters, nine bytes in UTF-8, eight in 1252
           {}}});
    EXPECT_EQ(StoredName(card, 0), "\x8d\xf7\x89\xd4\x8d\xf7\x89\xd4");
    EXPECT_EQ(StoredName(card, 1), std::string("\x94\x5c\x96\xca\0\0\0\0", 8));  // 能's second byte is a backslash's
    EXPECT_EQ(StoredName(card, 2), std::string("K\xfc" "che\0\0\0", 8));
    EXPECT_EQ(StoredName(card, 3), "K\xfc" "cheabc");
    walk({{"cp card/Emb_OrdF.dat before", {}},
          {"card --codepage 932 rename 4 桜花桜花桜", {3, "", "Rename: To maximum 8 characters\n"}},
          {"card rename 4 Küchenabc", {3, "", "Rename: To maximum 8 characters\n"}},
          {"card --codepage 932 rename 4 '能?'",
           {3, "", "Rename: A filename cannot contain any of the following characters:\n \\ / : * ? \" < > |\n"}},
          {"card rename 4 桜", {3, "", "kxcard: the name \"桜\" cannot be written in code page 1252, the card's "
                                       "(--codepage or KXCARD_CODEPAGE)\n"}},
          // 932's converter turns ¥ into the backslash's byte one way only: not the name given.
          {"KXCARD_CODEPAGE=932 card rename 4 ¥", {3, "", "kxcard: the name \"¥\" cannot be written in code page 932, "
                                                         "the card's (--codepage or KXCARD_CODEPAGE)\n"}},
          {"cmp before card/Emb_OrdF.dat", {}},
          {"card --codepage 12345 folders",
           {64, "", "kxcard: --codepage: no code page 12345 here: a code page is a number the C library's iconv knows "
                    "as CP<N>, such as 1252 or 932\nRun 'kxcard folders --help' for how to use it.\n"}}});
    ToolRun badVariable = sh("KXCARD_CODEPAGE=Latin1 card rename 4 A");
    EXPECT_TRUE(badVariable.status == 64 && badVariable.err.starts_with("kxcard: --codepage: no code page Latin1 here"))
        << badVariable;
}

// A 305-byte order file (one the format refuses) rebuilt by verify keeps each folder name that
// reads whole in the card's code page; the others go back to the folder's own name.
TEST_F(ToolTest, ARebuiltOrderFileKeepsTheNamesThatReadWholeInTheCardsCodePage) {
    Bytes damaged = OrderFile({{0, "\x8d\xf7\x89\xd4"}, {1, "K\xfc" "che"}, {2, "A\tB"}});
    damaged.push_back(0);
    const std::string repairThenList = " verify --repair 0 >/dev/null; card folders | head -3";
    put("card/Emb_OrdF.dat", damaged);
    walk({{"export KXCARD_CODEPAGE=932; card" + repairThenList, {0, FolderLines({"桜花", "EmbF6", "EmbF7"}), ""}}});
    put("card/Emb_OrdF.dat", damaged);
    walk({{"card" + repairThenList, {0, FolderLines({"EmbF5", "Küche", "EmbF7"}), ""}}});
}

// Names with quotes, control characters and bytes that are not UTF-8 still give documents a
// JSON parser reads, with those bytes shown as in the lines.
TEST_F(ToolTest, EveryJsonOutputParsesWhateverBytesTheNamesHold) {
    const std::string parse = "| PYTHONIOENCODING=utf-8 python3 -c 'import json,sys; d=json.load(sys.stdin); print(";
    walk({{"card write 0 pc/HEART.kxd && cd card/EmbF5 && for f in 'a\"b' \"$(printf 'tab\\tx')\" \"$(printf 'bad\\377')\"; do "
           "cp HEART.kxd \"$f.kxd\"; cp HEART.kxt \"$f.kxt\"; done && cp HEART.kxd \"$ROOT/$(printf 'he\\377\"rt.kxd')\"",
           {}},
          {"card list 0 --json " + parse + "d[\"designs\"])'", {0, "['HEART.kxd', 'a\"b.kxd', 'bad\\\\xff.kxd', 'tab\\tx.kxd']\n", ""}},
          {"printf 1 >\"card/EmbF6/$(printf 'n\\377\\001')\" && card verify --json 1 " + parse + "d[\"findings\"][0][\"path\"], d[\"sound\"])'",
           {0, "EmbF6/n\\xff\x01 False\n", ""}},
          {"kxcard info \"$(printf 'he\\377\"rt.kxd')\" --json " + parse + "d[\"file\"], d[\"bytes\"], d[\"colours\"] == len(d[\"colourTable\"]))'",
           {0, "he\\xff\"rt.kxd " + std::to_string(Slurp(pc / "HEART.kxd").size()) + " True\n", ""}},
          {"card drives --json " + parse + "[x[\"type\"] for x in d[\"drives\"] if x[\"default\"]], "
           "[x[\"folder\"] for x in d[\"drives\"] if x[\"default\"]] == [\"" + fs::canonical(card).string() + "\"])'",
           {0, "['removable'] True\n", ""}}});
}

}  // namespace
}  // namespace kx::test
