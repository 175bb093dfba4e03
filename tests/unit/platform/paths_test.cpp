// Windows path split/join, wildcard matching and side-file names, as every naming rule depends on them.
#include <gtest/gtest.h>

#include "platform/paths.h"
#include "platform/platform.h"

namespace kx {
namespace {

TEST(SplitPath, SplitsDriveFolderBaseAndLastExtension) {
    PathParts p = SplitPath("E:\\EmbF5\\my.rose.kxd");
    EXPECT_EQ(p.drive, "E:");
    EXPECT_EQ(p.dir, "\\EmbF5\\");
    EXPECT_EQ(p.base, "my.rose");
    EXPECT_EQ(p.ext, ".kxd");

    p = SplitPath(".kxd");
    EXPECT_EQ(p.base, "");
    EXPECT_EQ(p.ext, ".kxd");

    p = SplitPath("C:/work\\TULIP1");
    EXPECT_EQ(p.dir, "/work\\");
    EXPECT_EQ(p.base, "TULIP1");
    EXPECT_EQ(p.ext, "");

    p = SplitPath("a.kxd..");
    EXPECT_EQ(p.base, "a.kxd.");
    EXPECT_EQ(p.ext, ".");
}

TEST(MakePath, JoinsWithTheRuntimeRules) {
    EXPECT_EQ(MakePath("E:", "\\EmbF5\\", "ROSE", ".kxt"), "E:\\EmbF5\\ROSE.kxt");
    EXPECT_EQ(MakePath("E", "\\EmbF5", "ROSE", "kxt"), "E:\\EmbF5\\ROSE.kxt");
    EXPECT_EQ(MakePath("", "", "ROSE", ""), "ROSE");
    EXPECT_EQ(ReplaceExtension("E:\\EmbF5\\Rose.KXD", "kxt"), "E:\\EmbF5\\Rose.kxt");
    EXPECT_EQ(FileNamePart("C:\\work\\TULIP1.kxd"), "TULIP1.kxd");
    EXPECT_EQ(FileNamePart("C:TULIP1.kxd"), "TULIP1.kxd");
    EXPECT_EQ(FileNamePart("..\\..\\x"), "x");
}

TEST(WildcardMatch, StarsQuestionMarksAndCase) {
    EXPECT_TRUE(WildcardMatch("*.kxd", "Rose.KXD"));
    EXPECT_FALSE(WildcardMatch("*.kxd", "Rose.kxt"));
    EXPECT_FALSE(WildcardMatch("*.kxd", "Rose.kxd1"));
    EXPECT_TRUE(WildcardMatch("*", "."));
    EXPECT_TRUE(WildcardMatch("r?se*", "ROSE2.kxd"));
    EXPECT_TRUE(WildcardMatch("*a*b*c", "xxaxxbxxc"));
    EXPECT_FALSE(WildcardMatch("*a*b*c", "xxaxxcxxb"));
    EXPECT_TRUE(WildcardMatch("**", ""));
    // A long hostile pattern still ends quickly.
    EXPECT_FALSE(WildcardMatch(std::string(200, '*') + "b", std::string(5000, 'a')));
}

TEST(IsCopySideFileName, TheSideFileNamesOfBothVersionsWithoutRegardToCase) {
    for (const char* side : {"~kx0000beef.tmp", "~KX12AB34CD.TMP", "ROSE.kxd.kxcopy-42", "a.KXCOPY-7"})
        EXPECT_TRUE(IsCopySideFileName(side)) << side;
    for (const char* other : {"~kx0000bee.tmp", "~kx0000beefg.tmp", "~kx0000beeg.tmp", "~kx0000beef.kxd",
                              "ROSE.kxd", "x.kxcopy-", "x.kxcopy-4a", ".kxcopy-42", "x.kxcopy-42.kxd"})
        EXPECT_FALSE(IsCopySideFileName(other)) << other;
}

}  // namespace
}  // namespace kx
