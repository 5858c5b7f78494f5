#pragma once

#include <juce_core/juce_core.h>

#include <functional>

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
