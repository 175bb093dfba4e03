// Design name and folder display name rules.
#include <gtest/gtest.h>

#include "support/scripted_messages.h"
#include "transfer/names.h"

namespace kx {
namespace {

using test::ScriptedMessages;

TEST(MakeCardDesignName, KeepsTheFirstPartOfTheBaseNameWithTheDesignExtension) {
    EXPECT_EQ(MakeCardDesignName("TULIP.old"), "TULIP.kxd");
    EXPECT_EQ(MakeCardDesignName("my.rose.kxd"), "my.kxd");
    EXPECT_EQ(MakeCardDesignName(".kxd"), ".kxd");
    EXPECT_EQ(MakeCardDesignName("...."), ".kxd");
    EXPECT_EQ(MakeCardDesignName(""), ".kxd");
    EXPECT_EQ(MakeCardDesignName("..rose.a.b"), "rose.kxd");
    EXPECT_EQ(MakeCardDesignName("red rose"), "red rose.kxd");
    EXPECT_EQ(MakeCardDesignName(std::string(36, 'a') + ".txt"), std::string(36, 'a') + ".kxd");
}

TEST(MakeCardDesignName, RefusesForbiddenCharactersAnywhere) {
    for (char c : std::string("\\/:*?\"<>|")) {
        EXPECT_FALSE(MakeCardDesignName(std::string("rose") + c + "x").has_value()) << c;
    }
    EXPECT_FALSE(MakeCardDesignName("..\\..\\evil.kxd").has_value());
    // Only the characters up to the terminator count.
    EXPECT_EQ(MakeCardDesignName(std::string("ok\0?", 4)), "ok.kxd");
}

TEST(CheckNameLength, ThirtySixPassesThirtySevenNamesThirtyTwo) {
    ScriptedMessages messages;
    EXPECT_EQ(CheckNameLength(0, std::string(36, 'x')), 1);
    EXPECT_TRUE(messages.shown().empty());
    std::string longName(37, 'y');
    EXPECT_EQ(CheckNameLength(7, longName), 0);
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].text,
              "The Open/Save Folder does not support the long file names such as \"" + longName +
                  "\".\nPlease shorten the file name to 32 characters or less.");
    EXPECT_EQ(messages.shown()[0].caption, "File Name Error");
    EXPECT_EQ(messages.shown()[0].flags, mb::ICONHAND);
    EXPECT_EQ(messages.shown()[0].owner, 7u);
}

TEST(CheckNameCharacters, LooksAtTheFirstEightCharactersOnly) {
    EXPECT_TRUE(CheckNameCharacters("Roses"));
    EXPECT_TRUE(CheckNameCharacters("a b.c"));
    EXPECT_FALSE(CheckNameCharacters("Ro?es"));
    EXPECT_FALSE(CheckNameCharacters("1234567|"));
    EXPECT_TRUE(CheckNameCharacters("12345678|"));
    EXPECT_TRUE(CheckNameCharacters(std::string("ab\0|", 4)));
}

TEST(CheckFolderDisplayName, EmptyIsSilentThenLengthBeforeCharacters) {
    const std::string forbidden =
        "A filename cannot contain any of the following characters:\n \\ / : * ? \" < > |";
    struct Row { std::string typed; DisplayNameCheck check; std::string message; };
    const Row rows[] = {
        {"", DisplayNameCheck::Empty, ""},
        {"Roses", DisplayNameCheck::Valid, ""},
        {"a b.c", DisplayNameCheck::Valid, ""},
        {"12345678", DisplayNameCheck::Valid, ""},
        {"123456789", DisplayNameCheck::TooLong, "To maximum 8 characters"},
        {"Ro?es", DisplayNameCheck::ForbiddenCharacter, forbidden},
        {"1234567|", DisplayNameCheck::ForbiddenCharacter, forbidden},
        {"ab?cdefghi", DisplayNameCheck::TooLong, "To maximum 8 characters"},
    };
    for (const Row& row : rows) {
        ScriptedMessages messages;
        EXPECT_EQ(CheckFolderDisplayName(4, row.typed), row.check) << row.typed;
        if (row.message.empty()) {
            EXPECT_TRUE(messages.shown().empty()) << row.typed;
            continue;
        }
        ASSERT_EQ(messages.shown().size(), 1u) << row.typed;
        const test::ShownMessage& shown = messages.shown()[0];
        EXPECT_EQ(shown.text, row.message);
        EXPECT_TRUE(shown.caption == "Rename" && shown.flags == mb::ICONHAND && shown.owner == 4u) << row.typed;
    }
}

TEST(ContainedFileName, NeverLeadsOutOfItsFolder) {
    EXPECT_EQ(ContainedFileName("ROSE.kxd"), "ROSE.kxd");
    EXPECT_EQ(ContainedFileName("..\\..\\Windows\\evil.kxd"), "evil.kxd");
    EXPECT_EQ(ContainedFileName("C:evil.kxd"), "evil.kxd");
    EXPECT_EQ(ContainedFileName("a/b/c.kxd"), "c.kxd");
    EXPECT_FALSE(ContainedFileName("..").has_value());
    EXPECT_FALSE(ContainedFileName("dir\\").has_value());
    EXPECT_FALSE(ContainedFileName("").has_value());
    EXPECT_EQ(ContainedFileName(std::string("ok.kxd\0..\\x", 11)), "ok.kxd");
    EXPECT_EQ(ContainedFileName("rose.kxd:stream"), "stream");
    EXPECT_EQ(ContainedBaseName("C:\\work\\TULIP1.kxd"), "TULIP1");
    EXPECT_EQ(ContainedBaseName("ROSE.kxd"), "ROSE");
    EXPECT_EQ(ContainedBaseName("..\\"), "");
}

TEST(FatVolumeCanHoldName, NoForbiddenOrControlCharacterNoTrailingDotOrSpaceAtMost255) {
    for (const std::string& held : {std::string("ROSE.kxd"), std::string("a b.c"), std::string(255, 'x'),
                                    std::string("\xE9t\xE9.kxd")})
        EXPECT_TRUE(FatVolumeCanHoldName(held)) << held;
    for (const std::string& refused : {std::string(), std::string(256, 'x'), std::string("a?b"), std::string("a|b"),
                                       std::string("tab\there"), std::string("dot."), std::string("space ")})
        EXPECT_FALSE(FatVolumeCanHoldName(refused)) << refused;
}

}  // namespace
}  // namespace kx
