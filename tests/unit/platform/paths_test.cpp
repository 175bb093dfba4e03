// Windows path split/join, wildcard matching and side-file names, as every naming rule depends on them.
#include <gtest/gtest.h>

#include <array>

#include "platform/paths.h"
#include "platform/platform.h"

namespace kx {
namespace {

TEST(Paths, SplitAndJoinByTheRuntimeRules) {
    const struct { const char *path, *drive, *dir, *base, *ext; } splits[] = {
        {"E:\\EmbF5\\my.rose.kxd", "E:", "\\EmbF5\\", "my.rose", ".kxd"}, {".kxd", "", "", "", ".kxd"},
        {"C:/work\\TULIP1", "C:", "/work\\", "TULIP1", ""}, {"a.kxd..", "", "", "a.kxd.", "."}};
    for (const auto& s : splits) {
        const PathParts p = SplitPath(s.path);
        EXPECT_EQ((std::array{p.drive, p.dir, p.base, p.ext}), (std::array<std::string, 4>{s.drive, s.dir, s.base, s.ext})) << s.path;
    }
    EXPECT_EQ(MakePath("E", "\\EmbF5", "ROSE", "kxt"), "E:\\EmbF5\\ROSE.kxt");
    EXPECT_EQ(MakePath("", "", "ROSE", ""), "ROSE");
    EXPECT_EQ(ReplaceExtension("E:\\EmbF5\\Rose.KXD", "kxt"), "E:\\EmbF5\\Rose.kxt");
    for (const char* path : {"C:\\work\\TULIP1.kxd", "C:TULIP1.kxd", "..\\..\\TULIP1.kxd"})
        EXPECT_EQ(FileNamePart(path), "TULIP1.kxd") << path;
}

TEST(Paths, WildcardsAndSideFileNamesIgnoreCase) {
    for (auto [pattern, name] : {std::pair{"*.kxd", "Rose.KXD"}, {"*", "."}, {"r?se*", "ROSE2.kxd"}, {"*a*b*c", "xxaxxbxxc"}, {"**", ""}})
        EXPECT_TRUE(WildcardMatch(pattern, name)) << pattern << " " << name;
    for (auto [pattern, name] : {std::pair{"*.kxd", "Rose.kxt"}, {"*.kxd", "Rose.kxd1"}, {"*a*b*c", "xxaxxcxxb"}})
        EXPECT_FALSE(WildcardMatch(pattern, name)) << pattern << " " << name;
    // A long hostile pattern still ends quickly.
    EXPECT_FALSE(WildcardMatch(std::string(200, '*') + "b", std::string(5000, 'a')));

    for (const char* side : {"~kx0000beef.tmp", "~KX12AB34CD.TMP", "ROSE.kxd.kxcopy-42", "a.KXCOPY-7"})
        EXPECT_TRUE(IsCopySideFileName(side)) << side;
    for (const char* other : {"~kx0000bee.tmp", "~kx0000beefg.tmp", "~kx0000beeg.tmp", "~kx0000beef.kxd",
                              "ROSE.kxd", "x.kxcopy-", "x.kxcopy-4a", ".kxcopy-42", "x.kxcopy-42.kxd"})
        EXPECT_FALSE(IsCopySideFileName(other)) << other;
}

}  // namespace
}  // namespace kx
