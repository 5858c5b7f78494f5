// JUCE's X window system is needed here, and only here (the X headers clash with gtest's).
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "XvfbDisplay.h"

#include "vst/XQueuedEvents.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace juce
{
// Defined by the events module but declared in no public header.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
struct Server
{
    pid_t pid = -1;
    juce::String name;

    ~Server()
    {
        if (pid > 0)
        {
            ::kill (pid, SIGTERM);
            ::waitpid (pid, nullptr, 0);
        }
    }
};

Server& server()
{
    static Server instance;
    return instance;
}

// Tries one display number; empty when that number is taken or the server did not start.
juce::String launch (pid_t& pid, int displayNumber)
{
    int fds[2];
    if (::pipe (fds) != 0)
        return {};

    // Xvfb writes its display number to the descriptor we give it once it accepts connections.
    std::string display (":");
    display += std::to_string (displayNumber);
    std::vector<std::string> arguments{"Xvfb",     display,       "-displayfd", std::to_string (fds[1]),
                                       "-noreset", "-nolisten",   "tcp",        "-screen",
                                       "0",        "1280x1024x24"};
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back (argument.data());
    argv.push_back (nullptr);

    // The server is not ours to check: what a sanitizer run preloads into the tests stays out of it.
    std::vector<char*> environment;
    for (char** variable = environ; *variable != nullptr; ++variable)
        if (std::strncmp (*variable, "LD_PRELOAD=", 11) != 0)
            environment.push_back (*variable);
    environment.push_back (nullptr);

    pid = ::fork();
    if (pid == 0)
    {
        ::close (fds[0]);
        const int devNull = ::open ("/dev/null", O_RDWR);
        if (devNull >= 0)
        {
            ::dup2 (devNull, 0);
            ::dup2 (devNull, 1);
            ::dup2 (devNull, 2);
        }
        ::execvpe ("Xvfb", argv.data(), environment.data());
        ::_exit (127);
    }
    ::close (fds[1]);
    if (pid < 0)
    {
        ::close (fds[0]);
        return {};
    }

    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    // Bounded wait: a server that never answers must not hang the test run.
    while (::poll (&p, 1, 10000) > 0)
    {
        char c = 0;
        if (::read (fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    ::close (fds[0]);
    return number.empty() ? juce::String() : ":" + juce::String (number);
}

// JUCE opens the display once, when its window system is first asked for. A test that ran earlier in
// this process (one that read the key state or the desktop's displays) may have made it while DISPLAY
// named no server (or another one), and it would stay so for the rest of the run. With no window of
// its own on the screen it can go: JUCE connects again, to the new server, the next time it is used.
void reconnectJuce()
{
    if (juce::XWindowSystem::getInstanceWithoutCreating() == nullptr ||
        juce::ComponentPeer::getNumPeers() > 0)
        return;

    juce::XWindowSystem::deleteInstance();
    const_cast<juce::Displays&> (juce::Desktop::getInstance().getDisplays()).refresh();
}
} // namespace

bool XvfbDisplay::start()
{
    auto& s = server();
    if (s.name.isNotEmpty())
        return true;

    // JUCE connects to ":0.0" when DISPLAY is unset, so a headless test would reach any server on :0.
    // Private servers therefore keep away from the low numbers a desktop or another test might use.
    pid_t pid = -1;
    juce::String name;
    for (int attempt = 0; attempt < 40 && name.isEmpty(); ++attempt)
    {
        const int number = 200 + (int) ((::getpid() + attempt * 7919) % 3000);
        name = launch (pid, number);
        if (name.isEmpty() && pid > 0)
        {
            ::kill (pid, SIGTERM);
            ::waitpid (pid, nullptr, 0);
            pid = -1;
        }
    }
    if (name.isEmpty())
        return false;
    s.pid = pid;
    s.name = name;
    ::setenv ("DISPLAY", name.toRawUTF8(), 1);
    reconnectJuce();
    return true;
}

juce::String XvfbDisplay::getName()
{
    return server().name;
}

bool XvfbDisplay::runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        const bool handedOver = XQueuedEvents::dispatch();
        if (!juce::dispatchNextMessageOnSystemQueue (true) && !handedOver)
            juce::Thread::sleep (1);
    }
    return true;
}
