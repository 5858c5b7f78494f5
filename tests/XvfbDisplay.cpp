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

#include <X11/Xatom.h>

namespace juce
{
// Defined by the events module but declared in no public header.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
void stopProcess (pid_t& pid)
{
    if (pid > 0)
    {
        ::kill (pid, SIGTERM);
        ::waitpid (pid, nullptr, 0);
    }
    pid = -1;
}

struct Server
{
    pid_t pid = -1;
    pid_t windowManagerPid = -1;
    juce::String name;

    // The window manager goes first: it would otherwise outlive its server for a moment and complain.
    ~Server()
    {
        stopProcess (windowManagerPid);
        stopProcess (pid);
    }
};

Server& server()
{
    static Server instance;
    return instance;
}

// This process's environment without what a sanitizer run preloads into the tests: the servers and the
// window manager are not ours to check. The strings stay owned by environ.
std::vector<char*> environmentWithoutPreloads (const char* extra = nullptr)
{
    std::vector<char*> environment;
    for (char** variable = environ; *variable != nullptr; ++variable)
        if (std::strncmp (*variable, "LD_PRELOAD=", 11) != 0 && std::strncmp (*variable, "DISPLAY=", 8) != 0)
            environment.push_back (*variable);
    if (extra != nullptr)
        environment.push_back (const_cast<char*> (extra));
    environment.push_back (nullptr);
    return environment;
}

// Runs a program with its output discarded; the child's pid, or -1.
pid_t spawn (std::vector<std::string> arguments, std::vector<char*> environment, int keepOpen = -1)
{
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back (argument.data());
    argv.push_back (nullptr);

    const pid_t pid = ::fork();
    if (pid == 0)
    {
        const int devNull = ::open ("/dev/null", O_RDWR);
        if (devNull >= 0)
        {
            ::dup2 (devNull, 0);
            ::dup2 (devNull, 1);
            ::dup2 (devNull, 2);
        }
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != keepOpen)
                ::close (fd);
        ::execvpe (argv[0], argv.data(), environment.data());
        ::_exit (127);
    }
    return pid;
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
    pid = spawn ({"Xvfb", display, "-displayfd", std::to_string (fds[1]), "-noreset", "-nolisten", "tcp",
                  "-screen", "0", "1280x1024x24"},
                 environmentWithoutPreloads(), fds[1]);
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

bool windowManagerWanted()
{
    const char* wanted = std::getenv ("KELVANOR_TEST_WINDOW_MANAGER");
    return wanted != nullptr && std::strcmp (wanted, "openbox") == 0;
}

// Asks the window manager on the server for the frame it would give a window of ours, and answers true
// once it has: a window manager that has answered a request handles every later one, a map among them.
// Its announcement (_NET_SUPPORTING_WM_CHECK on the root window) is no such proof: openbox makes it, and
// takes over the root's SubstructureRedirect, before the rest of its start-up, and a MapRequest read while
// it is still starting waits unhandled until some later event wakes it, so a window mapped then is never
// shown. Hence a request each time until one is answered: the later ones wake it.
class WindowManagerProbe
{
public:
    explicit WindowManagerProbe (const juce::String& displayName)
    {
        x11 = juce::X11Symbols::getInstance();
        if (!x11->loadAllSymbols())
            return;
        display = x11->xOpenDisplay (displayName.toRawUTF8());
        if (display == nullptr)
            return;
        XSetWindowAttributes attributes{};
        window = x11->xCreateWindow (display, DefaultRootWindow (display), 0, 0, 1, 1, 0, CopyFromParent,
                                     InputOutput, CopyFromParent, 0, &attributes);
        request = x11->xInternAtom (display, "_NET_REQUEST_FRAME_EXTENTS", False);
        answer = x11->xInternAtom (display, "_NET_FRAME_EXTENTS", False);
    }

    ~WindowManagerProbe()
    {
        if (display != nullptr)
            x11->xCloseDisplay (display);
    }

    bool answered()
    {
        if (display == nullptr)
            return false;

        ::Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        const bool found = x11->xGetWindowProperty (display, window, answer, 0, 4, False, XA_CARDINAL, &type,
                                                    &format, &count, &remaining, &data) == Success &&
                           type == XA_CARDINAL && count == 4;
        if (data != nullptr)
            x11->xFree (data);
        if (found)
            return true;

        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = request;
        event.xclient.format = 32;
        x11->xSendEvent (display, DefaultRootWindow (display), False,
                         SubstructureRedirectMask | SubstructureNotifyMask, &event);
        x11->xFlush (display);
        return false;
    }

private:
    juce::X11Symbols* x11 = nullptr;
    ::Display* display = nullptr;
    ::Window window = 0;
    ::Atom request = None, answer = None;
};

// Starts openbox on the server with its stock configuration and waits until it handles requests.
pid_t startWindowManager (const juce::String& displayName)
{
    const std::string display = "DISPLAY=" + displayName.toStdString();
    std::vector<std::string> arguments{"openbox", "--sm-disable"};
    if (juce::File ("/etc/xdg/openbox/rc.xml").existsAsFile())
        arguments.insert (arguments.end(), {"--config-file", "/etc/xdg/openbox/rc.xml"});

    pid_t pid = spawn (arguments, environmentWithoutPreloads (display.c_str()));
    if (pid < 0)
        return -1;

    WindowManagerProbe probe (displayName);
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) XvfbDisplay::deadlineMs;
    while (!probe.answered())
    {
        if (::waitpid (pid, nullptr, WNOHANG) == pid)
            return -1; // not installed, or it gave up
        if (juce::Time::getMillisecondCounter() > end)
        {
            stopProcess (pid);
            return -1;
        }
        juce::Thread::sleep (5);
    }
    return pid;
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

    // A test asked to run under a window manager does not run without one.
    if (windowManagerWanted())
    {
        const pid_t windowManager = startWindowManager (name);
        if (windowManager < 0)
        {
            stopProcess (pid);
            return false;
        }
        s.windowManagerPid = windowManager;
    }
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

bool XvfbDisplay::hasWindowManager()
{
    return server().windowManagerPid > 0;
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
