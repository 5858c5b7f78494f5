#include "IdleCpuMeter.h"

#include <algorithm>
#include <ctime>
#include <dirent.h>
#include <fstream>
#include <sstream>

namespace IdleCpuMeter
{
namespace
{
std::string readFile (const std::string& path)
{
    std::ifstream in (path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string taskPath (pid_t threadId, const char* entry)
{
    return "/proc/self/task/" + std::to_string (threadId) + "/" + entry;
}

/** The kernel's CPU clock of any thread of this process, as pthread_getcpuclockid builds it from a
    thread id: the id inverted and shifted, with the per-thread and scheduler-clock bits. */
clockid_t threadCpuClock (pid_t threadId)
{
    return (clockid_t) ((~(unsigned int) threadId << 3) | 6u);
}

/** Fallback when the clock cannot be read: user and system ticks from the stat line. */
double cpuSecondsFromStat (pid_t threadId)
{
    const auto stat = readFile (taskPath (threadId, "stat"));
    // The name in parentheses may hold spaces: fields are counted after its closing parenthesis.
    const auto close = stat.rfind (')');
    if (close == std::string::npos)
        return 0.0;
    std::istringstream fields (stat.substr (close + 1));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int i = 3; fields >> field; ++i)
    {
        if (i == 14)
            user = std::stoull (field);
        else if (i == 15)
        {
            system = std::stoull (field);
            break;
        }
    }
    return (double) (user + system) / 100.0;
}
} // namespace

std::optional<pid_t> findThread (const std::string& name)
{
    auto* folder = ::opendir ("/proc/self/task");
    if (folder == nullptr)
        return std::nullopt;

    std::optional<pid_t> found;
    while (auto* entry = ::readdir (folder))
    {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        const auto id = (pid_t) std::stol (entry->d_name);
        auto comm = readFile (taskPath (id, "comm"));
        if (!comm.empty() && comm.back() == '\n')
            comm.pop_back();
        if (comm == name)
        {
            found = id;
            break;
        }
    }
    ::closedir (folder);
    return found;
}

long long parseWakeUps (const std::string& statusText)
{
    const std::string key = "\nvoluntary_ctxt_switches:";
    const auto at = ("\n" + statusText).find (key);
    if (at == std::string::npos)
        return -1;
    std::istringstream value (statusText.substr (at + key.size() - 1));
    long long count = -1;
    value >> count;
    return value.fail() ? -1 : count;
}

Sample sample (pid_t threadId)
{
    Sample result;
    timespec time{};
    if (::clock_gettime (threadCpuClock (threadId), &time) == 0)
        result.cpuSeconds = (double) time.tv_sec + (double) time.tv_nsec * 1.0e-9;
    else
        result.cpuSeconds = cpuSecondsFromStat (threadId);

    result.wakeUps = std::max (0LL, parseWakeUps (readFile (taskPath (threadId, "status"))));
    return result;
}

double processCpuSeconds()
{
    timespec time{};
    if (::clock_gettime (CLOCK_PROCESS_CPUTIME_ID, &time) != 0)
        return 0.0;
    return (double) time.tv_sec + (double) time.tv_nsec * 1.0e-9;
}

Usage usageBetween (const Sample& before, const Sample& after, double wallSeconds)
{
    Usage usage;
    usage.cpuSeconds = after.cpuSeconds - before.cpuSeconds;
    if (wallSeconds > 0.0)
    {
        usage.percentOfOneCore = 100.0 * usage.cpuSeconds / wallSeconds;
        usage.wakeUpsPerSecond = (double) (after.wakeUps - before.wakeUps) / wallSeconds;
    }
    return usage;
}
} // namespace IdleCpuMeter
