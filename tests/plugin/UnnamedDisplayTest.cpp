#include "KelvanorPluginTestSupport.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sched.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

// A host with no DISPLAY (a render on a server, a scan of plug-ins) must not reach an X server it was
// never given: whatever runs at ":0" belongs to someone else and may go away under the host. Each load
// runs in a network namespace of its own, where a listener takes the socket a client of ":0" tries first,
// so what the machine itself runs at ":0" neither shows nor matters, and every attempt is counted.
namespace
{
struct Outcome
{
    int setupError = 0; // errno of a namespace or listener that could not be made
    int connections = 0;
    int exitCode = -1; // the signal's number plus 128 when one ended it
};

std::vector<char*> pointers (std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (auto& s : strings)
        result.push_back (s.data());
    result.push_back (nullptr);
    return result;
}

/** Only async-signal-safe calls: the test process has other threads, and this runs in a fork of it. */
Outcome listenWhileRunning (char** argv, char** envp, const char* log)
{
    Outcome outcome;
    if (::unshare (CLONE_NEWNET) != 0 && ::unshare (CLONE_NEWUSER | CLONE_NEWNET) != 0)
    {
        outcome.setupError = errno;
        return outcome;
    }

    // Xlib's client tries the abstract socket first, and finds it here.
    static constexpr char name[] = "\0/tmp/.X11-unix/X0";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy (address.sun_path, name, sizeof (name) - 1);
    const auto length = (socklen_t) (offsetof (sockaddr_un, sun_path) + sizeof (name) - 1);
    const int listener = ::socket (AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0 || ::bind (listener, reinterpret_cast<sockaddr*> (&address), length) != 0 ||
        ::listen (listener, 8) != 0)
    {
        outcome.setupError = errno;
        return outcome;
    }

    const pid_t host = ::fork();
    if (host == 0)
    {
        const int fd = ::open (log, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2 (fd, 1);
        ::dup2 (fd, 2);
        ::execve (argv[0], argv, envp);
        ::_exit (127);
    }

    // Far above what a load takes under a sanitizer on a busy machine.
    timespec start{}, now{};
    ::clock_gettime (CLOCK_MONOTONIC, &start);
    int status = 0;
    while (::waitpid (host, &status, WNOHANG) != host)
    {
        pollfd waiting{listener, POLLIN, 0};
        if (::poll (&waiting, 1, 20) > 0)
            // Dropped at once: the client's handshake fails as with no server, and the load goes on.
            for (int client; (client = ::accept (listener, nullptr, nullptr)) >= 0; ++outcome.connections)
                ::close (client);

        ::clock_gettime (CLOCK_MONOTONIC, &now);
        if (now.tv_sec - start.tv_sec > 120)
            ::kill (host, SIGKILL);
    }
    outcome.exitCode = WIFEXITED (status) ? WEXITSTATUS (status) : 128 + WTERMSIG (status);
    return outcome;
}

/** Runs the command-line host on the plug-in with the arguments and DISPLAY as given (nullptr: unset). */
Outcome runHost (const juce::File& home, std::vector<std::string> arguments, const char* display,
                 std::string& output)
{
    arguments.insert (arguments.begin(), {KELVANOR_HOST_PATH, KELVANOR_PLUGIN_PATH});
    std::vector<std::string> environment{"HOME=" + home.getFullPathName().toStdString()};
    if (display != nullptr)
        environment.push_back ("DISPLAY=" + std::string (display));
    for (char** variable = environ; *variable != nullptr; ++variable)
        if (std::strncmp (*variable, "HOME=", 5) != 0 && std::strncmp (*variable, "DISPLAY=", 8) != 0)
            environment.emplace_back (*variable);
    auto argv = pointers (arguments), envp = pointers (environment);
    const auto log = home.getChildFile ("host.log").getFullPathName().toStdString();

    int channel[2];
    if (::pipe (channel) != 0)
        return {errno};
    const pid_t child = ::fork();
    if (child == 0)
    {
        ::close (channel[0]);
        const auto outcome = listenWhileRunning (argv.data(), envp.data(), log.c_str());
        (void) !::write (channel[1], &outcome, sizeof (outcome));
        ::_exit (0);
    }
    ::close (channel[1]);
    Outcome outcome;
    if (::read (channel[0], &outcome, sizeof (outcome)) != (ssize_t) sizeof (outcome))
        outcome.setupError = EPIPE;
    ::close (channel[0]);
    ::waitpid (child, nullptr, 0);

    std::ifstream in (log);
    output.assign (std::istreambuf_iterator<char> (in), {});
    return outcome;
}
} // namespace

TEST (UnnamedDisplay, NothingConnectsToAnXServerWithoutADisplayNamed)
{
    const juce::TemporaryFile folder;
    ASSERT_TRUE (folder.getFile().createDirectory());
    const auto wav = folder.getFile().getChildFile ("out.wav");
    const struct
    {
        const char* what;
        std::vector<std::string> arguments;
        const char* display;
        int exitCode; // the editor cannot be shown without a display, and says so
    } loads[] = {
        {"render, DISPLAY unset",
         {"--length", "0.1", "--out", wav.getFullPathName().toStdString()},
         nullptr,
         0},
        {"render, DISPLAY empty", {"--length", "0.1", "--out", wav.getFullPathName().toStdString()}, "", 0},
        {"editor, DISPLAY unset", {"--editor"}, nullptr, 4},
    };

    for (const auto& load : loads)
    {
        SCOPED_TRACE (load.what);
        wav.deleteFile();
        std::string output;
        const auto outcome = runHost (folder.getFile(), load.arguments, load.display, output);
        if (outcome.setupError != 0)
            GTEST_SKIP() << "no network namespace for a private listener: "
                         << std::strerror (outcome.setupError);

        EXPECT_EQ (outcome.connections, 0);
        EXPECT_EQ (outcome.exitCode, load.exitCode) << output;
        if (load.exitCode == 0)
            EXPECT_GT (wav.getSize(), 44) << output;
        else
            EXPECT_NE (output.find ("display"), std::string::npos) << output;
    }
}
