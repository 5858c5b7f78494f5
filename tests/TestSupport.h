#pragma once

#include <functional>
#include <juce_core/juce_core.h>

#include <utility>
#include <vector>

/** Runs every message waiting on the message queue (asynchronous updates, posted callbacks). */
void pumpMessages();

/** Runs the message loop, timers included, until the condition holds; false when it still does not after
    the timeout. */
bool runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMs = 5000);

/** Named byte entries of a zip archive, in order. */
using Entries = std::vector<std::pair<juce::String, juce::MemoryBlock>>;

/** The text's UTF-8 bytes, without a terminating zero. */
juce::MemoryBlock textBlock (const juce::String& text);

/** A zip archive of the entries, deflated or stored, with a fixed time stamp. */
juce::MemoryBlock makeZip (const Entries& entries, bool compress = true);

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
