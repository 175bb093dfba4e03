// What the DLL's runtime takes per thread or per load, in the DLL's own hands
// (src/entry/runtime_tls.cpp, runtime_sync.cpp). The storage for thread-local variables is linked into this program in place
// of libgcc's: every thread_local here lives in it, GoogleTest's, the harness's and the exception
// runtime's own per-thread state included.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "entry/runtime_sync.h"
#include "entry/runtime_tls.h"
#include "harness/harness.h"

namespace kx::wintest {
namespace {

thread_local int t_counter = 7;
alignas(64) thread_local unsigned char t_aligned[100];
// The variable looked up afresh each call: otherwise the compiler keeps the address it found once.
[[gnu::noipa]] int& Counter() { return t_counter; }

// What one thread saw of its own copies.
struct Seen {
    int counterAtStart = 0, counterAfter = 0;
    const void* counterAddress = nullptr;
    bool alignedZeroAndPlaced = false;
    int caught = 0;
};

Seen LookFromThisThread(int add) {
    Seen seen;
    seen.counterAtStart = t_counter;
    t_counter += add;
    seen.counterAfter = t_counter;
    seen.counterAddress = &t_counter;
    seen.alignedZeroAndPlaced = reinterpret_cast<std::uintptr_t>(t_aligned) % 64 == 0;
    for (unsigned char byte : t_aligned) seen.alignedZeroAndPlaced = seen.alignedZeroAndPlaced && byte == 0;
    t_aligned[0] = static_cast<unsigned char>(add);
    // The exception runtime keeps its caught exceptions per thread: nested, rethrown, each found.
    for (int i = 0; i < 50; ++i) {
        try {
            try {
                throw std::runtime_error("inner " + std::to_string(i));
            } catch (const std::runtime_error&) {
                if (std::uncaught_exceptions() == 0) throw;
            }
        } catch (const std::exception& e) {
            seen.caught += std::string(e.what()) == "inner " + std::to_string(i);
        }
    }
    return seen;
}

// Each thread starts from the variable's initial bytes (or zeros, at its alignment) in a copy of
// its own, unchanged by what the others write; exceptions on all of them at once are kept apart.
TEST(RuntimeTls, EachThreadHasItsOwnCopyFromTheInitialBytes) {
    constexpr int kThreads = 6;
    std::vector<Seen> seen(kThreads + 1);
    seen[0] = LookFromThisThread(100);
    std::vector<std::thread> threads;
    for (int i = 1; i <= kThreads; ++i) threads.emplace_back([&seen, i] { seen[i] = LookFromThisThread(i); });
    for (std::thread& thread : threads) thread.join();
    for (int i = 0; i <= kThreads; ++i) {
        SCOPED_TRACE("thread " + std::to_string(i));
        EXPECT_EQ(seen[i].counterAtStart, 7);
        EXPECT_EQ(seen[i].counterAfter, 7 + (i ? i : 100));
        EXPECT_TRUE(seen[i].alignedZeroAndPlaced);
        EXPECT_EQ(seen[i].caught, 50);
        for (int j = 0; j < i; ++j) EXPECT_NE(seen[i].counterAddress, seen[j].counterAddress) << "shared with " << j;
    }
    EXPECT_EQ(t_counter, 107);
}

// Giving back frees the slot (the process has one more to take); the next use takes one again
// and starts each variable afresh from its initial bytes.
TEST(RuntimeTls, GivingBackFreesTheSlotAndTheNextUseStartsAfresh) {
    Counter() = 55;
    const std::size_t freeBefore = FreeTlsSlots();
    kx::entry::GiveBackRuntimeTls();
    EXPECT_EQ(FreeTlsSlots(), freeBefore + 1);
    EXPECT_EQ(Counter(), 7);
    EXPECT_EQ(FreeTlsSlots(), freeBefore);
    EXPECT_TRUE(kx::entry::TakeRuntimeTlsSlot());
    EXPECT_EQ(FreeTlsSlots(), freeBefore) << "taken twice";
}

// With no slot left the library's load refuses (TakeRuntimeTlsSlot is its answer at load).
TEST(RuntimeTls, NoSlotLeftIsRefusedNotFatal) {
    kx::entry::GiveBackRuntimeTls();
    {
        TakenTlsSlots others;
        EXPECT_FALSE(kx::entry::TakeRuntimeTlsSlot());
    }
    EXPECT_TRUE(kx::entry::TakeRuntimeTlsSlot());
    EXPECT_EQ(Counter(), 7);
}

std::atomic<int> g_firstRuns = 0, g_secondRuns = 0;
long g_first = 0, g_second = 0;
void SecondInitialisation() { ++g_secondRuns; }
// Slow, so that the other threads arrive while it runs; it starts the second on its own thread.
void FirstInitialisation() {
    Sleep(50);
    kx::entry::RunOnce(&g_second, SecondInitialisation);
    ++g_firstRuns;
}

// Threads arriving together: the initialisation runs once, and every thread returns only once it
// has ended; one started inside another on the same thread runs at once instead of waiting for
// itself.
TEST(RunOnce, RunsEachInitialisationOnceAndReturnsWhenItHasEnded) {
    std::vector<int> seen(8, -1);
    std::vector<std::thread> threads;
    for (int& runs : seen)
        threads.emplace_back([&runs] {
            EXPECT_EQ(kx::entry::RunOnce(&g_first, FirstInitialisation), 0);
            runs = g_firstRuns + 10 * g_secondRuns;
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(kx::entry::RunOnce(&g_second, SecondInitialisation), 0);
    for (int runs : seen) EXPECT_EQ(runs, 11);
    EXPECT_EQ(g_first, 1);
    EXPECT_EQ(g_second, 1);
}

// A mutex from winpthreads' static initialiser, and one made by InitMutex: no two threads are
// ever inside at once (each yields while inside, to let another try), and it is free again, held
// in its own word, once they end.
TEST(Mutexes, KeepThreadsApartFromTheStaticInitialiserOnAndAllocateNothing) {
    for (std::intptr_t mutex : {std::intptr_t{-1}, std::intptr_t{12345}}) {
        if (mutex != -1) kx::entry::InitMutex(&mutex);
        std::atomic<int> inside = 0, overlaps = 0, entries = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&] {
                for (int i = 0; i < 500; ++i) {
                    EXPECT_EQ(kx::entry::LockMutex(&mutex), 0);
                    if (inside.fetch_add(1) != 0) ++overlaps;
                    ++entries;
                    SwitchToThread();
                    --inside;
                    kx::entry::UnlockMutex(&mutex);
                }
            });
        for (std::thread& thread : threads) thread.join();
        EXPECT_EQ(entries, 2000);
        EXPECT_EQ(overlaps, 0);
        EXPECT_EQ(mutex, 0);
    }
}

}  // namespace
}  // namespace kx::wintest
