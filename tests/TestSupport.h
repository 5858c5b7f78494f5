#pragma once

#include <functional>
#include <juce_core/juce_core.h>

#include <sys/types.h>
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

/** While it lives, a test run by root acts as a user without root's rights (uid and gid 65534, no other
    groups), so that the permission checks root passes apply to it too; run by any other user it changes
    nothing. Files and folders that user is to own are handed over with giveTo. */
class ActingAsNormalUser
{
public:
    ActingAsNormalUser();
    ~ActingAsNormalUser();
    ActingAsNormalUser (const ActingAsNormalUser&) = delete;
    ActingAsNormalUser& operator= (const ActingAsNormalUser&) = delete;

    /** Makes the file the normal user's: nothing to do unless the test runs as root. */
    static bool giveTo (const juce::File& file);

private:
    std::vector<gid_t> rootGroups;
    bool switched = false;
};
