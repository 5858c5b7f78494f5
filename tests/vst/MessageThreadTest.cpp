#include "TestHost.h"

#include "vst/MessageThread.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

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
        factoryConfig() = {};
        juce::DeletedAtShutdown::deleteAll();
        juce::MessageManager::deleteInstance();
        threadsBefore = countThreadsOfThisProcess();
    }

    void TearDown() override
    {
        factoryConfig() = {};
        juce::MessageManager::getInstance(); // the test thread is the message thread again
    }

    static bool messageThreadIsOurs()
    {
        auto* mm = juce::MessageManager::getInstanceWithoutCreating();
        return mm != nullptr && !mm->isThisTheMessageThread();
    }

    TestHost host;
    int threadsBefore = 0;
};

TEST_F (PluginMessageThread, FirstInstanceStartsItAndLastOneEndsIt)
{
    for (const bool firstMadeClosesFirst : {true, false})
    {
        PluginInstance a;
        ASSERT_TRUE (a.isValid());
        EXPECT_TRUE (MessageThread::isRunning());
        EXPECT_TRUE (messageThreadIsOurs());

        PluginInstance b;
        ASSERT_TRUE (b.isValid());
        a.start (44100.0f, 128);
        b.start (44100.0f, 128);

        // The message loop runs: an asynchronous call made from here arrives.
        juce::WaitableEvent delivered;
        juce::MessageManager::callAsync ([&] { delivered.signal(); });
        EXPECT_TRUE (delivered.wait (5000));

        (firstMadeClosesFirst ? a : b).close();
        EXPECT_TRUE (MessageThread::isRunning()) << "one instance is still open";

        (firstMadeClosesFirst ? b : a).close();
        EXPECT_FALSE (MessageThread::isRunning());
        EXPECT_EQ (MessageThread::getNumUsers(), 0);
        EXPECT_EQ (juce::MessageManager::getInstanceWithoutCreating(), nullptr);
        EXPECT_EQ (countThreadsOfThisProcess(), threadsBefore) << "nothing of ours left running";
    }
}

TEST_F (PluginMessageThread, EditorCallsWorkBesideTheLoop)
{
    factoryConfig().withEditor = true;
    PluginInstance plugin;
    ASSERT_TRUE (plugin.isValid());

    ERect* rect = nullptr;
    EXPECT_NE (plugin.dispatch (effEditGetRect, 0, 0, &rect), 0);
    ASSERT_NE (rect, nullptr);
    EXPECT_EQ (rect->right, 320);
    EXPECT_EQ (plugin.dispatch (effEditIdle), 0);
    EXPECT_EQ (plugin.dispatch (effEditClose), 0);

    plugin.close();
    EXPECT_FALSE (MessageThread::isRunning());
    EXPECT_EQ (countThreadsOfThisProcess(), threadsBefore);
}

TEST_F (PluginMessageThread, RefusedOrFailedEntriesLeaveNothingRunning)
{
    host.versionAnswer = 0;
    EXPECT_EQ (VSTPluginMain (TestHost::callback), nullptr);
    EXPECT_FALSE (MessageThread::isRunning());

    host.versionAnswer = 2400;
    factoryConfig().throwFromConstructor = true;
    EXPECT_EQ (VSTPluginMain (TestHost::callback), nullptr);
    EXPECT_FALSE (MessageThread::isRunning());

    EXPECT_EQ (juce::MessageManager::getInstanceWithoutCreating(), nullptr);
    EXPECT_EQ (countThreadsOfThisProcess(), threadsBefore);
}
} // namespace
