#include "ChildProgram.h"
#include "KelvanorPluginTestSupport.h"

#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/un.h>

// A host with no DISPLAY (a render on a server, a scan of plug-ins) must not reach an X server it was never
// given: whatever runs at ":0" belongs to someone else and may go away under the host. Each load runs in a
// network namespace of its own, where a listener takes the socket a client of ":0" tries first, so what the
// machine runs at ":0" neither shows nor matters, and every attempt is seen.
namespace
{
constexpr int noNamespace = 200, connected = 201; // the listening process's exit codes besides the host's

/** In a forked child, so async-signal-safe calls only: the test process has other threads. */
[[noreturn]] void listenWhileRunning (const ChildProgram& host, const char* log)
{
    static constexpr char name[] = "\0/tmp/.X11-unix/X0"; // abstract: Xlib's client tries it first
    sockaddr_un address{AF_UNIX, {}};
    std::memcpy (address.sun_path, name, sizeof (name) - 1);
    int listener = -1, status = 0, connections = 0;
    if ((::unshare (CLONE_NEWNET) != 0 && ::unshare (CLONE_NEWUSER | CLONE_NEWNET) != 0) ||
        (listener = ::socket (AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0)) < 0 ||
        ::bind (listener, reinterpret_cast<sockaddr*> (&address),
                socklen_t (offsetof (sockaddr_un, sun_path) + sizeof (name) - 1)) != 0 ||
        ::listen (listener, 8) != 0)
        ::_exit (noNamespace);

    const pid_t child = ::fork();
    if (child == 0)
    {
        ::close (listener);
        ::alarm (120); // far above what a load takes under a sanitizer on a busy machine
        host.exec (log);
    }
    while (::waitpid (child, &status, WNOHANG) != child)
        // Each dropped at once: the client's handshake fails as with no server, and the load goes on.
        if (pollfd waiting{listener, POLLIN, 0}; ::poll (&waiting, 1, 20) > 0)
            for (int client; (client = ::accept (listener, nullptr, nullptr)) >= 0; ++connections)
                ::close (client);
    ::_exit (connections > 0 ? connected : ChildProgram::exitCode (status));
}
} // namespace

TEST (UnnamedDisplay, NothingConnectsToAnXServerWithoutADisplayNamed)
{
    const TemporaryFolder folder;
    const auto log = folder.getChildFile ("host.log"), wav = folder.getChildFile ("out.wav");
    const auto logPath = log.getFullPathName().toStdString(), out = wav.getFullPathName().toStdString();
    const std::vector<std::string> unset{"HOME=" + folder.getFolder().getFullPathName().toStdString()},
        empty{unset[0], "DISPLAY="}, editor{KELVANOR_HOST_PATH, KELVANOR_PLUGIN_PATH, "--editor"},
        render{KELVANOR_HOST_PATH, KELVANOR_PLUGIN_PATH, "--length", "0.1", "--out", out};
    // The editor cannot be shown without a display, and says so.
    for (const auto& [settings, commandLine, exitCode] :
         {std::tuple{unset, render, 0}, {empty, render, 0}, {unset, editor, 4}})
    {
        SCOPED_TRACE ((settings.size() > 1 ? "DISPLAY empty, " : "DISPLAY unset, ") + commandLine[2]);
        wav.deleteFile();
        const ChildProgram host (commandLine, settings);
        const pid_t listening = ::fork();
        if (listening == 0)
            listenWhileRunning (host, logPath.c_str());
        int status = 0;
        ::waitpid (listening, &status, 0);
        if (ChildProgram::exitCode (status) == noNamespace)
            GTEST_SKIP() << "no network namespace for a private listener";
        const auto output = log.loadFileAsString();
        EXPECT_EQ (ChildProgram::exitCode (status), exitCode)
            << "(" << connected << ": a client connected) " << output;
        if (exitCode == 0)
            EXPECT_GT (wav.getSize(), 44) << output;
        else
            EXPECT_TRUE (output.contains ("display")) << output;
    }
}
