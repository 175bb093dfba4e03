// The code page in force for the system's names.
#include "platform/code_page.h"

namespace kx {

namespace {
CodePage* g_codePage = nullptr;
// Asked once, as the module starts, with no guarded static: the library takes nothing at load
// that it does not give back at unload.
CodePage g_native = NativeCodePage();
}  // namespace

CodePage& nameCodePage() { return g_codePage ? *g_codePage : g_native; }

void setNameCodePage(CodePage* codePage) { g_codePage = codePage; }

std::string_view CutAtCharacter(std::string_view text, std::size_t bytes) {
    std::size_t kept = 0;
    ForEachCharacter(text, [&](std::size_t at, std::size_t length) {
        if (at + length > bytes) return false;
        kept = at + length;
        return true;
    });
    return text.substr(0, kept);
}

}  // namespace kx
