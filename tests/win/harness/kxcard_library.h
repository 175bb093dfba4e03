// kxcard.dll as a host sees it: loaded by name, its exports looked up by their plain names.
#pragma once

#include <windows.h>

#include "entry/exports.h"

namespace kx::wintest {

class KxcardLibrary {
public:
    KxcardLibrary();
    ~KxcardLibrary();
    KxcardLibrary(const KxcardLibrary&) = delete;
    KxcardLibrary& operator=(const KxcardLibrary&) = delete;

    HMODULE module() const { return module_; }
    bool complete() const { return module_ && connectCardDlg && directWriteCard && directFilesWrite; }

    decltype(&ConnectCardDlg) connectCardDlg = nullptr;
    decltype(&DirectWriteCard) directWriteCard = nullptr;
    decltype(&DirectFilesWrite) directFilesWrite = nullptr;

private:
    HMODULE module_;
};

// The library, loaded on first use and kept for the program's life.
KxcardLibrary& Kxcard();

}  // namespace kx::wintest
