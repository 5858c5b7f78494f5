#include "HostXWindow.h"
#include "StrandedXKey.h"
#include "TestHost.h"
#include "XvfbDisplay.h"

#include "tools/HostEditor.h"
#include "vst/MessageThread.h"
#include "vst/XConnection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace
{
/** Counts the keys that reach a component, on the message thread; read from any thread. */
struct KeyCounter : public juce::KeyListener
{
    bool keyPressed (const juce::KeyPress&, juce::Component*) override
    {
        ++heard;
        return true;
    }

    std::atomic<int> heard{0};
};

/** Waits on this (not the message) thread until the condition holds; false after the deadline. */
template <typename Condition>
bool waitUntil (Condition condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds (XvfbDisplay::deadlineMs);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
    return true;
}

/** An instance with its editor open in a host's window, its message loop on the plug-in's own thread. */
class PluginLoopOnX : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KELVANOR_REQUIRE_XVFB();
        factoryConfig = {};
        juce::DeletedAtShutdown::deleteAll();
        juce::MessageManager::deleteInstance();

        factoryConfig.withEditor = true;
        plugin = std::make_unique<PluginInstance>();
        ASSERT_TRUE (plugin->isValid());
        ASSERT_TRUE (MessageThread::isRunning());
        {
            // JUCE's window system, made here, registers its connection with the running loop.
            const juce::MessageManagerLock lock;
            hostWindow = std::make_unique<HostXWindow>();
        }
        ASSERT_TRUE (hostWindow->isValid());
        ASSERT_EQ (plugin->dispatch (effEditOpen, 0, 0, hostWindow->getHandle()), 1);
    }

    void TearDown() override
    {
        // The host's window goes while JUCE still has its X library loaded: closing the last instance
        // unloads it.
        if (plugin != nullptr)
            plugin->dispatch (effEditClose);
        hostWindow.reset();
        plugin.reset();
        factoryConfig = {};
        juce::MessageManager::getInstance(); // the test thread is the message thread again
    }

    TestHost host;
    std::unique_ptr<HostXWindow> hostWindow;
    std::unique_ptr<PluginInstance> plugin;
};

TEST_F (PluginLoopOnX, AKeyXlibReadDuringARoundTripReachesTheEditorWithoutAnotherEvent)
{
    KeyCounter keys;
    juce::Component* window = nullptr;
    {
        const juce::MessageManagerLock lock;
        window = plugin->synth().getActiveEditor()->getTopLevelComponent();
        window->addKeyListener (&keys);
    }

    // One after the other: an X event that happens to come in (the editor's first paint) would free the
    // first key anyway, not the ones after it.
    int sent = 0;
    for (const char character : {'a', 'b', 'c'})
    {
        juce::MessageManager::callAsync ([window, character]
                                         { sendKeyReadDuringARoundTrip (*window, character); });
        ++sent;
        if (!waitUntil ([&keys, sent] { return keys.heard == sent; }))
        {
            ADD_FAILURE() << "key " << character << " was not handled";
            break;
        }
    }

    const juce::MessageManagerLock lock;
    window->removeKeyListener (&keys);
}

// JUCE ends a modal state asked for off the message thread only later, on that thread. The host destroys
// its window as soon as effEditClose returns, and every window embedded into it with it: the editor's own
// window must be gone by then, whatever the editor is in the middle of.
TEST_F (PluginLoopOnX, CloseWithAModalComponentUpLeavesNothingInTheHostsWindow)
{
    const ScopedXErrorCounter errors;
    auto modal = std::make_unique<juce::Component>();
    {
        const juce::MessageManagerLock lock;
        auto* editor = plugin->synth().getActiveEditor();
        editor->addAndMakeVisible (*modal);
        modal->setBounds (10, 10, 50, 50);
        modal->enterModalState (false);
    }
    ASSERT_EQ (hostWindow->getNumChildWindows(), 1);

    EXPECT_EQ (plugin->dispatch (effEditClose), 0);
    EXPECT_EQ (hostWindow->getNumChildWindows(), 0) << "the editor's window outlived effEditClose";
    hostWindow.reset();

    // The editor component itself may go a timer tick later, once its modal state has ended.
    EXPECT_TRUE (waitUntil (
        [this]
        {
            const juce::MessageManagerLock lock;
            return plugin->synth().getActiveEditor() == nullptr;
        }));
    const juce::MessageManagerLock lock;
    XConnection::sync();
    EXPECT_EQ (errors.getCount(), 0) << errors.describe();
    modal.reset();
}
} // namespace
