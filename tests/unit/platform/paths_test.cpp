// Wildcard matching and side-file names, as every listing and clean-up depends on them.
#include <gtest/gtest.h>

#include "platform/paths.h"
#include "platform/platform.h"

namespace kx {
namespace {

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
