#pragma once

#include <juce_core/juce_core.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

/** Runs the function to its end on a new thread with a stack of the given size, as a host's worker
    thread with a small stack would call the plug-in. */
inline void runOnStackOf (size_t stackBytes, std::function<void()> function)
{
    struct Runner : juce::Thread
    {
        Runner (size_t stack, std::function<void()> f)
            : juce::Thread ("small stack", stack)
            , fn (std::move (f))
        {
        }
        void run() override { fn(); }
        std::function<void()> fn;
    };

    Runner runner (stackBytes, std::move (function));
    runner.startThread();
    runner.waitForThreadToExit (-1);
}

/** Any text in the host state frame: "VC2!", the length, the text, 0. */
inline std::vector<char> makeStateFrame (const std::string& text)
{
    std::vector<char> frame (8 + text.size() + 1, 0);
    const auto length = juce::ByteOrder::swapIfBigEndian ((juce::uint32) text.size());
    std::memcpy (frame.data(), "VC2!", 4);
    std::memcpy (frame.data() + 4, &length, 4);
    std::memcpy (frame.data() + 8, text.data(), text.size());
    return frame;
}
