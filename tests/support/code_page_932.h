// Code page 932 as its published table describes it, for tests of names in it: a lead byte is
// 0x81 to 0x9F or 0xE0 to 0xFC; the second byte 0x40 to 0xFC but 0x7F, the backslash (0x5C)
// and ASCII letters among them. The names are that code page's bytes.
#pragma once

#include <bitset>
#include <string>

#include "platform/code_page.h"

namespace kx::test {

inline CodePage CodePage932() {
    std::bitset<256> lead;
    for (unsigned b = 0x81; b <= 0x9F; ++b) lead[b] = true;
    for (unsigned b = 0xE0; b <= 0xFC; ++b) lead[b] = true;
    return CodePage(lead);
}

namespace cp932 {
inline const std::string kHyoji = "\x95\x5C\x8E\xA6";              // 表示 (a folder): 表 ends in 0x5C
inline const std::string kZuhyo = "\x90\x7D\x95\x5C";              // 図表 (a folder ending in 0x5C)
inline const std::string kIchiranhyo = "\x88\xEA\x97\x97\x95\x5C"; // 一覧表
inline const std::string kSakura = "\x8D\xF7";                     // 桜
inline const std::string kNoumen = "\x94\x5C\x96\xCA";             // 能面
inline const std::string kSakuraBana = "\x8D\xF7\x89\xD4";         // 桜花
inline const std::string kA = "\x83\x41", kDi = "\x83\x61";         // ア and ヂ: second bytes 'A' and 'a'
}  // namespace cp932

}  // namespace kx::test
