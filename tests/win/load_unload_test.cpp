// kxcard.dll as a host that loads it each time the user opens the card dialog uses it: LoadLibrary,
// one export, FreeLibrary, many times over, at a new address each time. What the library took is
// back each time it goes (TLS slots, kernel handles, heap); with no TLS slot left to take it fails
// to load, or works, and the host goes on. The program links no import library: it loads the DLL itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "harness/harness.h"

namespace kx::wintest {
namespace {

const HWND kNoWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0123));

// Bytes in use on every heap of the process.
SIZE_T HeapBytesInUse() {
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    SIZE_T bytes = 0;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap)) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData;
        HeapUnlock(heap);
    }
    return bytes;
}

// Kernel handles open in the process, counted by asking after each handle value in turn (Wine's
// GetProcessHandleCount answers nothing); the values are small and dense, so a long run of values
// that are no handle ends the count.
DWORD OpenHandles() {
    DWORD open = 0;
    for (std::uintptr_t value = 4, misses = 0; misses < 4096; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++open;
            misses = 0;
        } else {
            ++misses;
        }
    }
    return open;
}

struct Counts {
    std::size_t freeTlsSlots = 0;
    DWORD handles = 0;
    SIZE_T heapBytes = 0;
};
std::ostream& operator<<(std::ostream& out, const Counts& counts) {
    return out << counts.freeTlsSlots << " free TLS slots, " << counts.handles << " handles, " << counts.heapBytes
               << " heap bytes";
}

Counts Measure() {
    Counts counts;
    counts.freeTlsSlots = FreeTlsSlots();
    counts.handles = OpenHandles();
    counts.heapBytes = HeapBytesInUse();
    return counts;
}

using ConnectCardDlgCall = int(__cdecl*)(HWND, char*);
ConnectCardDlgCall ConnectCardDlgOf(HMODULE dll) {
    return reinterpret_cast<ConnectCardDlgCall>(reinterpret_cast<void (*)()>(GetProcAddress(dll, "ConnectCardDlg")));
}

// One use as such a host makes it: load, one export (a dialog the driver closes at once, or an
// owner that is no window, which opens none), free. The address the library was loaded at.
HMODULE LoadUseAndFree(bool withDialog) {
    HMODULE dll = LoadLibraryA("kxcard.dll");
    EXPECT_NE(dll, nullptr) << GetLastError();
    if (!dll) return nullptr;
    auto connect = ConnectCardDlgOf(dll);
    EXPECT_NE(connect, nullptr);
    char folder[MAX_PATH] = "C:\\";
    if (connect && withDialog) {
        int result = -1;
        RunDialog([&] { result = connect(nullptr, folder); }, "Write Designs, Read and Erase",
                  [](UiSync&, HWND dialog) { CloseWithCloseBox(dialog); });
        EXPECT_EQ(result, 1);
    } else if (connect) {
        EXPECT_EQ(connect(kNoWindow, folder), 0);
    }
    EXPECT_TRUE(FreeLibrary(dll));
    EXPECT_EQ(GetModuleHandleA("kxcard.dll"), nullptr) << "still loaded after its last FreeLibrary";
    return dll;
}

// The image's size in memory, to hold its last address so that the next load goes elsewhere.
SIZE_T ImageSize(HMODULE dll) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(dll);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(dll) + dos->e_lfanew);
    return nt->OptionalHeader.SizeOfImage;
}

// 200 uses, most through an owner that is no window, every twentieth with its dialog opened and
// closed; each load at another address than the one before (that one is held reserved meanwhile).
// Whatever the first use set up for good in the process (the system's own libraries' state) is
// there before counting; after it the counts come back to within a small fixed amount, not one
// that grows with each use.
TEST(LoadedPerUse, GivesBackEverythingItTookEachTimeItGoes) {
    HMODULE first = LoadLibraryA("kxcard.dll");
    ASSERT_NE(first, nullptr);
    const SIZE_T imageSize = ImageSize(first);
    FreeLibrary(first);
    LoadUseAndFree(true);
    LoadUseAndFree(false);
    const Counts before = Measure();

    void* held = nullptr;
    HMODULE previous = nullptr;
    int moved = 0;
    for (int use = 0; use < 200; ++use) {
        SCOPED_TRACE("use " + std::to_string(use));
        HMODULE at = LoadUseAndFree(use % 20 == 0);
        if (at && at != previous) ++moved;
        if (held) VirtualFree(held, 0, MEM_RELEASE);
        held = at ? VirtualAlloc(at, imageSize, MEM_RESERVE, PAGE_NOACCESS) : nullptr;
        previous = at;
        if (HasFailure()) break;
    }
    if (held) VirtualFree(held, 0, MEM_RELEASE);
    EXPECT_EQ(moved, 200) << "loads at the address of the load before";

    const Counts after = Measure();
    std::cout << "before: " << before << "\nafter:  " << after << "\n";
    EXPECT_EQ(after.freeTlsSlots, before.freeTlsSlots);
    EXPECT_LE(after.handles, before.handles + 4);
    EXPECT_LE(after.heapBytes, before.heapBytes + 32 * 1024);
}

// The system libraries `dll` imports, loaded once more (as a host with windows has them) until the
// object goes.
class HeldImports {
public:
    explicit HeldImports(HMODULE dll) {
        const auto* base = reinterpret_cast<const BYTE*>(dll);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(dll)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name; ++entry)
            modules_.push_back(LoadLibraryA(reinterpret_cast<const char*>(base + entry->Name)));
    }
    ~HeldImports() {
        for (HMODULE module : modules_) if (module) FreeLibrary(module);
    }
    HeldImports(const HeldImports&) = delete;
    HeldImports& operator=(const HeldImports&) = delete;

private:
    std::vector<HMODULE> modules_;
};

// Other libraries hold every TLS slot: the library refuses to load (the loader's error, not the
// process ended later for want of a slot). With one slot left it loads and works (its imports
// loaded already, as in a host with windows: some take a slot of their own when they load).
// Either way this process goes on, and with the slots given back the library loads and works again.
TEST(LoadedPerUse, WithNoTlsSlotLeftFailsToLoadAndTheHostGoesOn) {
    HMODULE dll = LoadLibraryA("kxcard.dll");
    ASSERT_NE(dll, nullptr);
    HeldImports imports(dll);
    FreeLibrary(dll);
    for (std::size_t free : {0u, 1u}) {
        SCOPED_TRACE(std::to_string(free) + " slots free");
        {
            TakenTlsSlots others(free);
            ASSERT_GT(others.count(), 0u);
            dll = LoadLibraryA("kxcard.dll");
            const DWORD error = GetLastError();
            EXPECT_EQ(dll != nullptr, free > 0) << error;
            if (dll) {
                auto connect = ConnectCardDlgOf(dll);
                char folder[MAX_PATH] = "C:\\";
                ASSERT_NE(connect, nullptr);
                EXPECT_EQ(connect(kNoWindow, folder), 0);
                EXPECT_TRUE(FreeLibrary(dll));
            } else {
                EXPECT_EQ(error, static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
            }
        }
        LoadUseAndFree(false);
    }
}

}  // namespace
}  // namespace kx::wintest
