#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

/** CPU time of single threads of this process, read from the kernel by thread id, so that a thread a
    loaded library started (and the host never sees as a std::thread) can be measured. Linux only. */
namespace IdleCpuMeter
{
/** What the plug-in calls its message thread: names are cut to 15 characters by the kernel. */
inline constexpr const char* messageThreadName = "Plug-in message";

/** The first thread of this process whose name is exactly the given one. */
std::optional<pid_t> findThread (const std::string& name);

struct Sample
{
    double cpuSeconds = 0.0; // user and system time
    long long wakeUps = 0;   // times the thread went to sleep, so woke again: its voluntary context switches
};

/** The thread's totals now; zeros for a thread that has gone. */
Sample sample (pid_t threadId);

/** The process's CPU seconds, every thread included. */
double processCpuSeconds();

struct Usage
{
    double cpuSeconds = 0.0;
    double percentOfOneCore = 0.0;
    double wakeUpsPerSecond = 0.0;
};

/** What the thread used between two samples taken wallSeconds apart. */
Usage usageBetween (const Sample& before, const Sample& after, double wallSeconds);

/** The voluntary context switches of a /proc/<pid>/task/<tid>/status text; -1 when it has none. Switches
    forced by other threads (nonvoluntary) are left out: they count the machine's load, not our timers. */
long long parseWakeUps (const std::string& statusText);
} // namespace IdleCpuMeter
