#include <gtest/gtest.h>

#include <cstdlib>
#include <juce_events/juce_events.h>

namespace
{
// The message manager exists for the whole run, on the test thread, so asynchronous updaters have a
// queue to post to and tests can pump it.
class JuceEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { initialiser = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
    void TearDown() override { initialiser.reset(); }

    // Still initialised here only when the process exits from inside a test (Xlib calls exit() when its
    // display goes away). This runs among the static destructors, after JUCE's own statics such as its
    // shut-down list are gone: shutting JUCE down now would free them twice. The process is ending.
    ~JuceEnvironment() override { (void) initialiser.release(); }

private:
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> initialiser;
};
} // namespace

int main (int argc, char** argv)
{
    // With DISPLAY unset JUCE connects to ":0", where a desktop or another test's private server may
    // come and go; a test run without a display must stay headless, so point it at one that cannot exist.
    if (const char* display = std::getenv ("DISPLAY"); display == nullptr || *display == 0)
        ::setenv ("DISPLAY", ":59999", 1);

    ::testing::InitGoogleTest (&argc, argv);
    ::testing::AddGlobalTestEnvironment (new JuceEnvironment);
    return RUN_ALL_TESTS();
}
