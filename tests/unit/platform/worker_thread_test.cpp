// The worker thread a write keeps: each job on a thread of its own, in turn, waited for.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/worker_thread.h"

namespace kx {
namespace {

TEST(WorkerThread, RunsEachJobOnASecondThreadInTurnAndWaitsForTheLast) {
    std::vector<int> done;
    std::vector<std::thread::id> ranOn;
    {
        WorkerThread worker;
        for (int i = 0; i < 40; ++i) {
            worker.start([&, i] {
                done.push_back(i);
                ranOn.push_back(std::this_thread::get_id());
            });
            worker.wait();
            ASSERT_EQ(done.size(), static_cast<std::size_t>(i + 1)) << "wait() returned before job " << i << " ran";
            worker.wait();  // nothing in hand: returns at once
        }
        worker.start([&] { done.push_back(40); });
    }  // the job in hand is waited for before the thread ends
    EXPECT_EQ(done.size(), 41u);
    for (int i = 0; i <= 40; ++i) EXPECT_EQ(done[static_cast<std::size_t>(i)], i);
    for (std::thread::id id : ranOn) EXPECT_NE(id, std::this_thread::get_id());
}

}  // namespace
}  // namespace kx
