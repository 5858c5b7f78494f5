#include <gtest/gtest.h>

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
    ::testing::InitGoogleTest (&argc, argv);
    ::testing::AddGlobalTestEnvironment (new JuceEnvironment);
    return RUN_ALL_TESTS();
}
