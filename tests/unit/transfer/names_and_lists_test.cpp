// The rules for names (card design names, names from outside, folder display names), the
// lists' order and the tandem-hoop counterparts among list rows.
#include <gtest/gtest.h>

#include "support/code_page_932.h"
#include "support/scripted_messages.h"
#include "support/test_drives.h"
#include "transfer/design_lists.h"
#include "transfer/names.h"
#include "transfer/pairing.h"

namespace kx {
namespace {

using Name = std::optional<std::string>;
using Texts = std::vector<std::string>;

TEST(Names, CardDesignNamesAndNamesFromOutsideStayInTheirFolder) {
    const std::pair<std::string, Name> typed[] = {
        {"TULIP.old", "TULIP.kxd"}, {"my.rose.kxd", "my.kxd"}, {"....", ".kxd"}, {"..rose.a.b", "rose.kxd"},
        {"red rose", "red rose.kxd"}, {std::string(36, 'a') + ".txt", std::string(36, 'a') + ".kxd"},
        {std::string("ok\0?", 4), "ok.kxd"}, {"..\\..\\evil.kxd", std::nullopt}};
    for (const auto& [name, stored] : typed) EXPECT_EQ(MakeCardDesignName(name), stored) << name;
    for (char c : std::string("\\/:*?\"<>|")) EXPECT_EQ(MakeCardDesignName(std::string("rose") + c), std::nullopt) << c;
    const std::pair<std::string, Name> outside[] = {
        {"ROSE.kxd", "ROSE.kxd"}, {"..\\..\\Windows\\evil.kxd", "evil.kxd"}, {"C:evil.kxd", "evil.kxd"},
        {"a/b/c.kxd", "c.kxd"}, {"rose.kxd:stream", "stream"}, {std::string("ok.kxd\0..\\x", 11), "ok.kxd"}, {"..", {}},
        {"dir\\", {}}, {"", {}}};
    for (const auto& [name, file] : outside) EXPECT_EQ(ContainedFileName(name), file) << name;
    EXPECT_TRUE(ContainedBaseName("C:\\work\\TULIP1.kxd") == "TULIP1" && ContainedBaseName("..\\").empty());
    for (const std::string& held : Texts{"a b.c", std::string(255, 'x'), "\xE9t\xE9.kxd"}) EXPECT_TRUE(FatVolumeCanHoldName(held));
    for (const std::string& refused : Texts{"", std::string(256, 'x'), "a|b", "tab\there", "dot.", "space "})
        EXPECT_FALSE(FatVolumeCanHoldName(refused)) << refused;
}

// In code page 932 a name is checked, cut and stored by characters: a second byte 0x5C or 0x7C
// is no forbidden character, and a display name's limit stays 8 bytes (four such characters).
TEST(Names, DoubleByteNamesPassTheRulesWhole) {
    using namespace test::cp932;
    CodePage cp932 = test::CodePage932();
    ScopedCodePage inForce(cp932);
    EXPECT_EQ(MakeCardDesignName(kNoumen), kNoumen + ".kxd");
    EXPECT_EQ(MakeCardDesignName(kHyoji + ".old"), kHyoji + ".kxd");
    EXPECT_EQ(MakeCardDesignName(kNoumen + "|"), std::nullopt);
    EXPECT_EQ(ContainedFileName("C:\\" + kHyoji + "\\" + kNoumen + ".kxd"), kNoumen + ".kxd");
    EXPECT_EQ(ContainedBaseName(kZuhyo + "\\" + kIchiranhyo + ".kxd"), kIchiranhyo);
    EXPECT_TRUE(FatVolumeCanHoldName(kIchiranhyo + ".kxd") && FatVolumeCanHoldName("\x83\x7C.kxd"));  // ポ: second byte |
    EXPECT_FALSE(FatVolumeCanHoldName(kSakura + "\\x.kxd"));
    test::ScriptedMessages messages;
    for (const std::string& valid : {kHyoji, kSakuraBana + kSakuraBana, "a" + kNoumen + "bcd"})
        EXPECT_EQ(CheckFolderDisplayName(0, valid), DisplayNameCheck::Valid);
    EXPECT_EQ(CheckFolderDisplayName(0, kSakuraBana + kSakuraBana + "a"), DisplayNameCheck::TooLong);
    EXPECT_EQ(CheckFolderDisplayName(0, kNoumen + "?"), DisplayNameCheck::ForbiddenCharacter);
    EXPECT_EQ(messages.take().size(), 2u);
}

// A display name: empty does nothing, then more than 8 characters, then a forbidden one among
// the first 8. A typed design name may have 36 characters, though the message names 32.
TEST(Names, TypedNamesAreRefusedWithTheirMessage) {
    struct Row { std::string typed; DisplayNameCheck check; std::string message; };
    const Row rows[] = {{"", DisplayNameCheck::Empty, ""}, {"12345678", DisplayNameCheck::Valid, ""},
                        {"123456789", DisplayNameCheck::TooLong, "To maximum 8 characters"},
                        {"ab?cdefghi", DisplayNameCheck::TooLong, "To maximum 8 characters"},
                        {"1234567|", DisplayNameCheck::ForbiddenCharacter, kForbiddenCharactersMessage}};
    for (const Row& row : rows) {
        test::ScriptedMessages messages;
        EXPECT_EQ(CheckFolderDisplayName(4, row.typed), row.check) << row.typed;
        EXPECT_EQ(messages.take(), Texts(row.message.empty() ? 0 : 1, "4 16 Rename: " + row.message));  // ICONHAND
    }
    EXPECT_TRUE(CheckNameCharacters("12345678|") && CheckNameCharacters(std::string("ab\0|", 4)));
    test::ScriptedMessages messages;
    EXPECT_TRUE(CheckNameLength(0, std::string(36, 'x')) == 1 && CheckNameLength(7, std::string(37, 'y')) == 0);
    const Texts shown = messages.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("to 32 characters or less."), std::string::npos);
}

// Design rows first either way; texts of one kind byte by byte (upper case and ASCII first, a
// prefix first, no numeric order), and only they follow the direction.
TEST(Lists, DesignsComeFirstThenTextsCompareByteByByte) {
    for (int way : {1, -1}) {
        EXPECT_EQ(CompareListEntries({"zzz.kxd", true}, {"AAA", false}, way > 0), -1);
        for (const auto& [a, b] : {std::pair{"B.kxd", "a.kxd"}, {"rose", "rose.kxd"}, {"zz", "\xE9t\xE9"}, {"a10", "a2"}})
            EXPECT_EQ(CompareListEntries({a, false}, {b, false}, way > 0), -way) << a;
    }
}

// Files longer than ".kxd" and ending in it, then folders; an entry whose path would pass the
// limit is left out.
TEST(Lists, PcFolderShowsDesignsThenFoldersWithinThePathLimit) {
    test::TestDrives drives;
    const std::string pc = drives.addFixed('C') + "Designs\\";
    for (const char* name : {"Zeta", "Sub", "More.kxd"}) drives.makeDir(pc + name);
    for (const char* name : {"a.kxd", "B.kxd", "ROSE.KXD", ".kxd", "ROSE.txt", "x.kxdd"}) drives.write(pc + name, {1});
    auto listed = [&](std::size_t maxPath) {
        std::vector<std::string> out;
        for (const PcEntry& e : ListPcFolder(pc, maxPath)) out.push_back(e.path + (e.kind == PcEntryKind::Design ? " design" : ""));
        return out;
    };
    EXPECT_EQ(listed(260), (std::vector<std::string>{pc + "B.kxd design", pc + "ROSE.KXD design", pc + "a.kxd design",
                                                     pc + "More.kxd", pc + "Sub", pc + "Zeta"}));
    EXPECT_EQ(listed(pc.size() + 3), std::vector<std::string>{pc + "Sub"});
}

// The counterpart swaps a last 1 and 2, byte for byte, whatever the extension.
TEST(Lists, PairHalvesFindTheirCounterparts) {
    PairFinder finder({"ROSE1.kxd", "Rose2.kxd", "ROSE2.txt", "ROSE2.kxd", "TULIP2.kxd", "TULIP1", "Leaf.kxd", "A12.kxd", "",
                       "3.kxd"});
    const int counterparts[] = {2, -1, 0, 0, 5, 4, -1, -1, -1, -1, -1};
    for (std::size_t row = 0; row < std::size(counterparts); ++row) EXPECT_EQ(finder.counterpart(row), counterparts[row]) << row;
}

}  // namespace
}  // namespace kx
