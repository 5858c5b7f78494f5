#include "IdleCpuMeter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace
{
double ownThreadCpuSeconds()
{
    timespec time{};
    ::clock_gettime (CLOCK_THREAD_CPUTIME_ID, &time);
    return (double) time.tv_sec + (double) time.tv_nsec * 1.0e-9;
}

/** A named thread that burns a known amount of its own CPU time, then waits to be measured. */
struct BusyThread
{
    explicit BusyThread (const char* name, double secondsToBurn)
        : thread (
              [this, name, secondsToBurn]
              {
                  ::pthread_setname_np (::pthread_self(), name);
                  id.store (::gettid());
                  const double start = ownThreadCpuSeconds();
                  while (ownThreadCpuSeconds() - start < secondsToBurn)
                  {
                  }
                  burnt.store (ownThreadCpuSeconds());
                  while (!release.load())
                      std::this_thread::sleep_for (std::chrono::milliseconds (1));
              })
    {
        while (burnt.load() < 0.0)
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }

    ~BusyThread()
    {
        release.store (true);
        thread.join();
    }

    std::atomic<pid_t> id{0};
    std::atomic<double> burnt{-1.0};
    std::atomic<bool> release{false};
    std::thread thread;
};
} // namespace

TEST (IdleCpuMeter, FindsAThreadByItsExactNameAndReadsItsCpuTime)
{
    BusyThread busy ("idle-meter-test", 0.05);

    const auto found = IdleCpuMeter::findThread ("idle-meter-test");
    ASSERT_TRUE (found.has_value());
    EXPECT_EQ (*found, busy.id.load());
    EXPECT_FALSE (IdleCpuMeter::findThread ("idle-meter-tes").has_value()) << "a prefix is not the name";

    const auto reading = IdleCpuMeter::sample (*found);
    // The thread read its own clock last just before it went to sleep: the meter sees at least that much,
    // and little more.
    EXPECT_GE (reading.cpuSeconds, busy.burnt.load());
    EXPECT_LT (reading.cpuSeconds, busy.burnt.load() + 0.02);
    EXPECT_GT (reading.wakeUps, 0) << "it slept while it waited to be measured";
}

TEST (IdleCpuMeter, WakeUpsAreTheVoluntarySwitchesAndUsageScalesToOneCore)
{
    struct Case
    {
        const char* status;
        long long expected;
    };
    for (const auto& c :
         {Case{"Name:\tx\nvoluntary_ctxt_switches:\t12\nnonvoluntary_ctxt_switches:\t3\n", 12},
          Case{"voluntary_ctxt_switches:\t7\n", 7}, Case{"nonvoluntary_ctxt_switches:\t3\n", -1},
          Case{"voluntary_ctxt_switches:\tmany\n", -1}, Case{"", -1}})
        EXPECT_EQ (IdleCpuMeter::parseWakeUps (c.status), c.expected) << c.status;

    const auto usage = IdleCpuMeter::usageBetween ({1.0, 100}, {1.2, 600}, 10.0);
    EXPECT_NEAR (usage.cpuSeconds, 0.2, 1e-12);
    EXPECT_NEAR (usage.percentOfOneCore, 2.0, 1e-9);
    EXPECT_NEAR (usage.wakeUpsPerSecond, 50.0, 1e-9);
}
