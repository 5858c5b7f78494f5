#include "TestSupport.h"

#include <juce_events/juce_events.h>

namespace juce
{
// Defined by the events module but declared in no public header.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

void pumpMessages()
{
    // Bounded so a listener that keeps re-posting cannot hang a test.
    for (int i = 0; i < 10000; ++i)
        if (! juce::dispatchNextMessageOnSystemQueue (true))
            break;
}

TemporaryFolder::TemporaryFolder()
    : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                  .getNonexistentChildFile ("kelvanor-test", "", false))
{
    folder.createDirectory();
}

TemporaryFolder::~TemporaryFolder()
{
    folder.deleteRecursively();
}
