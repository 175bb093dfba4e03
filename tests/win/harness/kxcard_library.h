// kxcard.dll as a host sees it: loaded by name, its exports looked up by their plain names.
#pragma once

#include <windows.h>

#include <kxcard.h>

namespace kx::wintest {

struct KxcardLibrary {
    HMODULE module = LoadLibraryA("kxcard.dll");

    template <class Fn>
    Fn find(const char* name) const {
        FARPROC proc = module ? GetProcAddress(module, name) : nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
    }
    decltype(&ConnectCardDlg) connectCardDlg = find<decltype(&ConnectCardDlg)>("ConnectCardDlg");
    decltype(&DirectWriteCard) directWriteCard = find<decltype(&DirectWriteCard)>("DirectWriteCard");
    decltype(&DirectFilesWrite) directFilesWrite = find<decltype(&DirectFilesWrite)>("DirectFilesWrite");

    bool complete() const { return module && connectCardDlg && directWriteCard && directFilesWrite; }
};

// The library, loaded on first use and kept for the program's life.
inline KxcardLibrary& Kxcard() {
    static KxcardLibrary library;
    return library;
}

}  // namespace kx::wintest
