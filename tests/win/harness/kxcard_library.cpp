// Loads kxcard.dll the way a host does.
#include "harness/kxcard_library.h"

namespace kx::wintest {

namespace {

template <class Fn>
Fn Export(HMODULE module, const char* name) {
    FARPROC proc = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace

KxcardLibrary::KxcardLibrary() : module_(LoadLibraryA("kxcard.dll")) {
    connectCardDlg = Export<decltype(connectCardDlg)>(module_, "ConnectCardDlg");
    directWriteCard = Export<decltype(directWriteCard)>(module_, "DirectWriteCard");
    directFilesWrite = Export<decltype(directFilesWrite)>(module_, "DirectFilesWrite");
}

KxcardLibrary::~KxcardLibrary() {
    if (module_) FreeLibrary(module_);
}

KxcardLibrary& Kxcard() {
    static KxcardLibrary library;
    return library;
}

}  // namespace kx::wintest
