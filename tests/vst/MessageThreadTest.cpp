#include "TestHost.h"

#include "vst/MessageThread.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <thread>

namespace
{
int countThreadsOfThisProcess()
{
    return juce::File ("/proc/self/task").getNumberOfChildFiles (juce::File::findDirectories);
}

/** Runs the instances as in a host: no message manager exists until the first instance makes one.
    The test program's own manager is taken down for the test and made again afterwards. */
class PluginMessageThread : public ::testing::Test
{
protected:
    void SetUp() override
    {
        factoryConfig = {};
        juce::DeletedAtShutdown::deleteAll();
        juce::MessageManager::deleteInstance();

        // The thread sanitizer's runtime starts a thread of its own with the first thread made: made
        // here, it is counted before the test.
        std::thread ([] {}).join();
        threadsBefore = countThreadsOfThisProcess();
    }

    void TearDown() override
    {
        factoryConfig = {};
        juce::MessageManager::getInstance(); // the test thread is the message thread again
    }

    void expectNothingRunning (const char* when)
    {
        EXPECT_FALSE (MessageThread::isRunning()) << when;
        EXPECT_EQ (MessageThread::getNumUsers(), 0) << when;
        EXPECT_EQ (juce::MessageManager::getInstanceWithoutCreating(), nullptr) << when;
        // A joined thread has finished its work but may still be listed for a moment while the kernel
        // takes it down: wait for the list to shrink, with a generous deadline.
        const auto deadline = juce::Time::getMillisecondCounter() + 10000;
        while (countThreadsOfThisProcess() > threadsBefore && juce::Time::getMillisecondCounter() < deadline)
            std::this_thread::yield();
        EXPECT_EQ (countThreadsOfThisProcess(), threadsBefore) << when << ": nothing of ours left running";
    }

    TestHost host;
    int threadsBefore = 0;
};

TEST_F (PluginMessageThread, RefusedOrFailedEntriesMakeNothingAndLeaveNothingRunning)
{
    const struct
    {
        const char* description;
        VstIntPtr versionAnswer;
        bool withHost, returnNull, throwFromConstructor;
    } cases[] = {{"host answers version 0", 0, true, false, false},
                 {"no host callback", 2400, false, false, false},
                 {"factory gives null", 2400, true, true, false},
                 {"processor constructor throws", 2400, true, false, true}};

    for (const auto& c : cases)
    {
        host.versionAnswer = c.versionAnswer;
        factoryConfig = {c.returnNull, c.throwFromConstructor, false, 0};
        EXPECT_EQ (VSTPluginMain (c.withHost ? TestHost::callback : nullptr), nullptr) << c.description;
        EXPECT_EQ (factoryConfig.numCreated, 0) << c.description;
        expectNothingRunning (c.description);
    }

    // The wrapper type is set back even when the factory threw.
    factoryConfig = {};
    TestSynth direct;
    EXPECT_EQ (direct.wrapperType, juce::AudioProcessor::wrapperType_Undefined);
}

TEST_F (PluginMessageThread, FirstInstanceStartsItAndLastOneEndsItInEitherOrder)
{
    for (const bool firstMadeClosesFirst : {true, false})
    {
        const int destroyedBefore = TestSynth::numDestroyed;
        PluginInstance a;
        ASSERT_TRUE (a.isValid());
        EXPECT_TRUE (MessageThread::isRunning());
        auto* mm = juce::MessageManager::getInstanceWithoutCreating();
        EXPECT_TRUE (mm != nullptr && !mm->isThisTheMessageThread()) << "the loop runs on a thread of ours";

        PluginInstance b;
        ASSERT_TRUE (b.isValid());
        EXPECT_EQ (MessageThread::getNumUsers(), 2);
        a.start (44100.0f, 128);
        b.start (44100.0f, 128);

        // The message loop runs: an asynchronous call made from here arrives.
        juce::WaitableEvent delivered;
        juce::MessageManager::callAsync ([&] { delivered.signal(); });
        EXPECT_TRUE (delivered.wait (5000));

        (firstMadeClosesFirst ? a : b).close();
        EXPECT_TRUE (MessageThread::isRunning()) << "one instance is still open";
        EXPECT_EQ (TestSynth::numDestroyed, destroyedBefore + 1);

        auto& other = firstMadeClosesFirst ? b : a;
        other.setParameter (1, 0.5f);
        EXPECT_FLOAT_EQ (other.getParameter (1), 0.5f) << "the other instance still works";

        other.close();
        EXPECT_EQ (TestSynth::numDestroyed, destroyedBefore + 2);
        expectNothingRunning (firstMadeClosesFirst ? "first made closed first" : "last made closed first");
    }
}

TEST_F (PluginMessageThread, LastCloseWhileTheLoopIsBusyLeavesNothingBehind)
{
    // The loop used to be stopped from the closing thread, which then wrote to a manager the loop might
    // already have deleted. Messages still queued at the close make the loop's exit race that write; the
    // sanitizer builds catch what a plain build may survive.
    for (int round = 0; round < 40; ++round)
    {
        PluginInstance plugin;
        ASSERT_TRUE (plugin.isValid());

        std::atomic<int> delivered{0};
        for (int i = 0; i < 50; ++i)
            juce::MessageManager::callAsync ([&delivered] { ++delivered; });

        plugin.close();
        EXPECT_EQ (delivered.load(), 50)
            << "messages posted before the close are delivered before the loop ends";
        expectNothingRunning ("after the last close");
        if (HasFailure())
            return;
    }
}

TEST_F (PluginMessageThread, EditorIsOfferedOnlyWhenTheProcessorHasOne)
{
    {
        PluginInstance plugin;
        ASSERT_TRUE (plugin.isValid());
        ERect* rect = nullptr;
        EXPECT_EQ (plugin.dispatch (effEditGetRect, 0, 0, &rect), 0);
        EXPECT_EQ (rect, nullptr);
        EXPECT_EQ (plugin.dispatch (effEditOpen, 0, 0, nullptr), 0);
        EXPECT_EQ (plugin.dispatch (effEditClose), 0);
        EXPECT_EQ (plugin.effect->flags & effFlagsHasEditor, 0);
    }

    factoryConfig.withEditor = true;
    PluginInstance plugin;
    ASSERT_TRUE (plugin.isValid());
    EXPECT_EQ (plugin.effect->flags & effFlagsHasEditor, effFlagsHasEditor);

    for (int round = 0; round < 2; ++round)
    {
        ERect* rect = nullptr;
        const auto answer = plugin.dispatch (effEditGetRect, 0, 0, &rect);
        ASSERT_NE (rect, nullptr);
        EXPECT_EQ (answer, (VstIntPtr) rect);
        EXPECT_EQ ((std::vector<int>{rect->top, rect->left, rect->bottom, rect->right}),
                   (std::vector<int>{0, 0, 200, 320}));
        EXPECT_NE (plugin.synth().getActiveEditor(), nullptr);
        EXPECT_EQ (plugin.dispatch (effEditIdle), 0);

        if (round == 0)
        {
            EXPECT_EQ (plugin.dispatch (effEditClose), 0);
            EXPECT_EQ (plugin.synth().getActiveEditor(), nullptr) << "closing the window deletes the editor";
        }
    }

    plugin.close(); // with the editor still there
    expectNothingRunning ("after the close");
}
} // namespace
