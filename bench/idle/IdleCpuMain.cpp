// kelvanor_idle_cpu: the plug-in's message-thread CPU while a host plays and nobody touches the editor.
//
// Loads the built plug-in library N times through its VST 2.4 entry, plays the host transport (the
// sequencer plays its pattern) on an audio thread of its own in real time, optionally opens the first
// instance's editor in an X window of the host's, and reports the CPU time the plug-in's message thread
// used over the measured span, in per cent of one core. See README, "Benchmarks".
#include "IdleCpuMeter.h"
#include "tests/XvfbDisplay.h"
#include "tools/HostEditor.h"
#include "tools/HostedPlugin.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#ifndef KELVANOR_DEFAULT_PLUGIN
#define KELVANOR_DEFAULT_PLUGIN ""
#endif

namespace
{
constexpr const char* usageText = R"(Usage: kelvanor_idle_cpu [options]

Measures the CPU time of the plug-in's message thread while the host transport plays.

  --plugin FILE        the plug-in library (default: the one this build made)
  --instances N        instances in the process, 1 to 64 (default 1)
  --seconds S          measured span (default 10)
  --warm-up S          time before the measurement starts (default 1)
  --editor             open the first instance's editor in an X window; uses DISPLAY when it is set,
                       else starts a private Xvfb
  --xvfb               start a private Xvfb even when DISPLAY is set
  --stopped            leave the transport stopped
  --max-percent P      exit with status 1 when the message thread used more than P % of one core
  --keep-home          use the real settings folders (default: a temporary HOME, removed at the end)
  --help               this text
)";

struct Options
{
    juce::File plugin{juce::String (KELVANOR_DEFAULT_PLUGIN)};
    int instances = 1;
    double seconds = 10.0;
    double warmUp = 1.0;
    bool editor = false;
    bool privateXvfb = false;
    bool playing = true;
    std::optional<double> maxPercent;
    bool keepHome = false;
};

int fail (const juce::String& message)
{
    std::fprintf (stderr, "kelvanor_idle_cpu: %s\n", message.toRawUTF8());
    return 2;
}

std::optional<double> parseNumber (const juce::String& text, double lowest, double highest)
{
    const auto trimmed = text.trim();
    if (trimmed.isEmpty() || !trimmed.containsOnly ("0123456789."))
        return std::nullopt;
    const double value = trimmed.getDoubleValue();
    if (value < lowest || value > highest)
        return std::nullopt;
    return value;
}

/** An empty string when the arguments were read, else the complaint. */
juce::String parseArguments (const juce::StringArray& args, Options& options, bool& wantsHelp)
{
    for (int i = 0; i < args.size(); ++i)
    {
        const auto& arg = args[i];
        auto value = [&]() -> std::optional<juce::String>
        {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };

        if (arg == "--help" || arg == "-h")
            wantsHelp = true;
        else if (arg == "--editor")
            options.editor = true;
        else if (arg == "--xvfb")
            options.privateXvfb = true;
        else if (arg == "--stopped")
            options.playing = false;
        else if (arg == "--keep-home")
            options.keepHome = true;
        else if (arg == "--plugin" || arg == "--instances" || arg == "--seconds" || arg == "--warm-up" ||
                 arg == "--max-percent")
        {
            const auto text = value();
            if (!text)
                return arg + " needs a value";

            if (arg == "--plugin")
            {
                options.plugin = juce::File::getCurrentWorkingDirectory().getChildFile (*text);
                continue;
            }

            const bool isCount = arg == "--instances";
            const auto number = parseNumber (*text, isCount ? 1.0 : 0.0, isCount ? 64.0 : 3600.0);
            if (!number || (isCount && *number != (double) (int) *number))
                return arg + ": '" + *text + "' is out of range";

            if (isCount)
                options.instances = (int) *number;
            else if (arg == "--seconds")
                options.seconds = *number;
            else if (arg == "--warm-up")
                options.warmUp = *number;
            else
                options.maxPercent = *number;
        }
        else
        {
            return "unknown option '" + arg + "' (see --help)";
        }
    }

    if (options.seconds <= 0.0)
        return "--seconds must be more than 0";
    return {};
}

/** Plays every instance, block after block, in real time: what a host's audio thread does. */
class AudioThread
{
public:
    explicit AudioThread (std::vector<std::unique_ptr<HostedPlugin>>& pluginsToPlay)
        : plugins (pluginsToPlay)
        , thread ([this] { run(); })
    {
    }

    ~AudioThread()
    {
        running.store (false);
        thread.join();
    }

    juce::int64 getBlocks() const { return blocks.load(); }

private:
    void run()
    {
        const double rate = plugins.front()->getSampleRate();
        const int block = plugins.front()->getBlockSize();
        const auto period = std::chrono::duration<double> (block / rate);
        auto next = std::chrono::steady_clock::now();

        while (running.load())
        {
            for (auto& plugin : plugins)
                plugin->process (block);
            ++blocks;

            next += std::chrono::duration_cast<std::chrono::steady_clock::duration> (period);
            std::this_thread::sleep_until (next);
        }
    }

    std::vector<std::unique_ptr<HostedPlugin>>& plugins;
    std::atomic<bool> running{true};
    std::atomic<juce::int64> blocks{0};
    std::thread thread;
};

/** Sleeps, or idles the host's editor window as a host's GUI thread does (effEditIdle every 10 ms). */
void waitFor (double seconds, HostEditorSession* session)
{
    if (session != nullptr)
        session->idle (seconds);
    else
        std::this_thread::sleep_for (std::chrono::duration<double> (seconds));
}

int run (const Options& options)
{
    if (!options.plugin.existsAsFile())
        return fail ("no plug-in library at '" + options.plugin.getFullPathName() + "' (use --plugin)");

    if (options.editor &&
        (options.privateXvfb || juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty()))
        if (!XvfbDisplay::start())
            return fail ("--editor needs an X display: DISPLAY is not set and Xvfb did not start");

    std::vector<std::unique_ptr<HostedPlugin>> plugins;
    for (int i = 0; i < options.instances; ++i)
    {
        auto plugin = std::make_unique<HostedPlugin>();
        const auto error = plugin->open (options.plugin);
        if (error.isNotEmpty())
            return fail ("instance " + juce::String (i + 1) + ": " + error);

        plugin->setSampleRate (44100.0);
        plugin->setBlockSize (512);
        plugin->getTransport().setTempo (120.0);
        plugin->getTransport().setPlayingAtStart (options.playing);
        plugin->resume();
        plugins.push_back (std::move (plugin));
    }

    const auto messageThread = IdleCpuMeter::findThread (IdleCpuMeter::messageThreadName);
    if (!messageThread)
        return fail ("the plug-in's message thread (named '" +
                     juce::String (IdleCpuMeter::messageThreadName) + "') was not found");

    std::unique_ptr<HostEditorWindow> window;
    std::unique_ptr<HostEditorSession> session;
    IdleCpuMeter::Usage usage;
    double wall = 0.0, processPercent = 0.0;
    juce::int64 blocks = 0;
    {
        AudioThread audio (plugins);

        if (options.editor)
        {
            window = std::make_unique<HostEditorWindow> (800, 600);
            if (!window->isValid())
                return fail ("editor window: " + window->getError());
            session = std::make_unique<HostEditorSession> (*plugins.front(), *window);
            if (!session->open())
                return fail ("the plug-in did not open its editor");
            if (session->waitForFirstPaint (5.0) < 0.0)
                return fail ("the editor did not paint within 5 s");
        }

        waitFor (options.warmUp, session.get());

        const auto before = IdleCpuMeter::sample (*messageThread);
        const auto processBefore = IdleCpuMeter::processCpuSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        const auto blocksBefore = audio.getBlocks();

        waitFor (options.seconds, session.get());

        const auto after = IdleCpuMeter::sample (*messageThread);
        const auto processAfter = IdleCpuMeter::processCpuSeconds();
        wall = std::chrono::duration<double> (std::chrono::steady_clock::now() - wallStart).count();
        blocks = audio.getBlocks() - blocksBefore;
        usage = IdleCpuMeter::usageBetween (before, after, wall);
        processPercent = 100.0 * (processAfter - processBefore) / wall;

        if (session != nullptr)
            session->close();
    } // the audio thread stops here, before any instance closes

    session.reset();
    window.reset();
    for (auto& plugin : plugins)
        plugin->close();

    std::printf ("instances %d, editor %s, transport %s, %.2f s measured, %lld blocks of 512 played\n",
                 options.instances, options.editor ? "open" : "closed",
                 options.playing ? "playing" : "stopped", wall, (long long) blocks);
    std::printf ("message thread: %.1f ms CPU = %.2f %% of one core, %.0f wake-ups per second\n",
                 usage.cpuSeconds * 1000.0, usage.percentOfOneCore, usage.wakeUpsPerSecond);
    std::printf ("whole process (audio thread included): %.2f %% of one core\n", processPercent);

    if (options.maxPercent && usage.percentOfOneCore > *options.maxPercent)
    {
        std::printf ("over the limit of %.2f %%\n", *options.maxPercent);
        return 1;
    }
    return 0;
}
} // namespace

int main (int argc, char* argv[])
{
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (juce::CharPointer_UTF8 (argv[i]));

    Options options;
    bool wantsHelp = false;
    if (const auto error = parseArguments (args, options, wantsHelp); error.isNotEmpty())
        return fail (error);
    if (wantsHelp)
    {
        std::fputs (usageText, stdout);
        return 0;
    }

    // The instances read and write their settings under HOME: keep the user's own out of a measurement.
    std::unique_ptr<juce::TemporaryFile> home;
    if (!options.keepHome)
    {
        home = std::make_unique<juce::TemporaryFile> ("kelvanor-idle-cpu");
        if (!home->getFile().createDirectory())
            return fail ("cannot make a temporary HOME");
        ::setenv ("HOME", home->getFile().getFullPathName().toRawUTF8(), 1);
        ::unsetenv ("XDG_CONFIG_HOME");
    }

    const int result = run (options);

    if (home != nullptr)
        home->getFile().deleteRecursively();
    return result;
}
