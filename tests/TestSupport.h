#pragma once

#include <functional>
#include <juce_core/juce_core.h>

/** Runs every message waiting on the message queue (asynchronous updates, posted callbacks). */
void pumpMessages();

/** Runs the message loop, timers included, until the condition holds; false when it still does not after
    the timeout. */
bool runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMs = 5000);

/** A fresh temporary folder, deleted with the object. */
class TemporaryFolder
{
public:
    TemporaryFolder();
    ~TemporaryFolder();

    const juce::File& getFolder() const { return folder; }
    juce::File getChildFile (const juce::String& name) const { return folder.getChildFile (name); }

private:
    juce::File folder;
};
