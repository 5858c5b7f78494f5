#include "TestSupport.h"

#include <juce_events/juce_events.h>

#include <unistd.h>

namespace juce
{
// Defined by the events module but declared in no public header.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

void pumpMessages()
{
    // Bounded so a listener that keeps re-posting cannot hang a test.
    for (int i = 0; i < 10000; ++i)
        if (!juce::dispatchNextMessageOnSystemQueue (true))
            break;
}

bool runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;

        // Timer callbacks arrive as messages once they are due; sleep briefly while none is.
        if (!juce::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (1);
    }
    return true;
}

juce::MemoryBlock textBlock (const juce::String& text)
{
    return {text.toRawUTF8(), text.getNumBytesAsUTF8()};
}

juce::MemoryBlock makeZip (const Entries& entries, bool compress)
{
    juce::ZipFile::Builder builder;
    // An empty block is not copied: JUCE's copy would read from its null data.
    for (const auto& [name, bytes] : entries)
        builder.addEntry (new juce::MemoryInputStream (bytes, !bytes.isEmpty()), compress ? 6 : 0, name,
                          juce::Time (2020, 0, 1, 0, 0));

    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    builder.writeToStream (out, nullptr);
    out.flush();
    return block;
}

TemporaryFolder::TemporaryFolder()
{
    // ctest runs test programs in parallel: a name of this process and a random part keeps their
    // folders apart, where a "first free name" search would race.
    const auto temp = juce::File::getSpecialLocation (juce::File::tempDirectory);
    for (;;)
    {
        folder = temp.getChildFile ("kelvanor-test-" + juce::String ((int) ::getpid()) + "-" +
                                    juce::String::toHexString (juce::Random::getSystemRandom().nextInt64()));
        if (!folder.exists() && folder.createDirectory())
            break;
    }
}

TemporaryFolder::~TemporaryFolder()
{
    folder.deleteRecursively();
}
