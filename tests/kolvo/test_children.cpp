// Work in child processes: each one's exit status as the shell gives it
// (128 + the signal that ended it), and no more running at once than asked.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <iostream>
#include <map>
#include <new>
#include <stdexcept>
#include <vector>

#include "child.h"

TEST(Children, StatusIsTheExitOrOneHundredTwentyEightPlusTheSignal) {
    const struct {
        std::function<int()> work;
        int status;
    } cases[] = {
        {[] { return 0; }, 0},
        {[] { return 3; }, 3},
        {[]() -> int { throw std::runtime_error("no"); }, 1},
        {[] { raise(SIGKILL); return 0; }, 128 + SIGKILL},
        {[] { raise(SIGTERM); return 0; }, 128 + SIGTERM},
        {[] { signal(SIGSEGV, SIG_DFL); raise(SIGSEGV); return 0; }, 128 + SIGSEGV},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(runInChild(cases[i].work, false).status, cases[i].status) << i;
        EXPECT_EQ(reapChild(startInChild(cases[i].work), true), cases[i].status) << i;
        testing::internal::GetCapturedStderr();
    }
    const ChildOutcome kept = runInChild([] { std::cout << "out"; return 0; }, true);
    EXPECT_EQ(kept.output, "out");
}

TEST(Children, RunAtMostSoManyAtOnceAndEachIsHeardOf) {
    // Counters that the children share: running now, and the most at once.
    void* memory = mmap(nullptr, 2 * sizeof(std::atomic<int>), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(memory, MAP_FAILED);
    auto* shared = static_cast<std::atomic<int>*>(memory);
    for (const int parallel : {1, 3}) {
        new (shared) std::atomic<int>(0);
        new (shared + 1) std::atomic<int>(0);
        std::vector<std::function<int()>> works;
        for (int i = 0; i < 7; ++i) {
            works.push_back([shared, i] {
                const int now = ++shared[0];
                int most = shared[1];
                while (now > most && !shared[1].compare_exchange_weak(most, now)) {
                }
                usleep(100000);
                --shared[0];
                return i;
            });
        }
        std::map<size_t, int> heard;
        runInChildren(works, parallel, [&](size_t index, int status) { heard[index] = status; });
        EXPECT_EQ(shared[1].load(), parallel);
        ASSERT_EQ(heard.size(), works.size());
        for (const auto& [index, status] : heard) {
            EXPECT_EQ(status, static_cast<int>(index));
        }
    }
    munmap(memory, 2 * sizeof(std::atomic<int>));
}
