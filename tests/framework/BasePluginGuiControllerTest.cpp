#include "SilentTestPlugin.h"
#include "framework/BasePlugin.h"
#include "vst/AudioProcessorEditor.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace
{
/** The processor base on the built-in tables, logging the start-up steps the editor factory must fall
    between: the user settings ("settings"), the first parameter notification ("notify") and the plain
    order's last hook ("post"). */
class StartupPlugin : public SilentTestPlugin
{
public:
    explicit StartupPlugin (bool layered) { useLayeredInitialise = layered; }

    juce::String getProductName() const override { return "StartupSynth"; }

    void processingQualityChanged() override { log.addIfNotAlreadyThere ("settings"); }
    void postInitialise() override { log.add ("post"); }
    void parameterChanged (Parameter* parameter) override
    {
        log.addIfNotAlreadyThere ("notify");
        BasePlugin::parameterChanged (parameter);
    }

    juce::StringArray log;
};

class BasePluginEditorFactory : public ::testing::Test
{
protected:
    void SetUp() override
    {
        BasePlugin::overrideApplicationDataFolders (dataFolder.getChildFile ("user"),
                                                    dataFolder.getChildFile ("common"));
    }
    void TearDown() override
    {
        pumpMessages();
        BasePlugin::overrideApplicationDataFolders ({}, {});
    }

    /** A factory that logs into the plug-in it is given and counts its calls. */
    BasePlugin::EditorFactory makeFactory (bool makesEditor)
    {
        return [this, makesEditor] (BasePlugin& owner) -> std::unique_ptr<juce::Component>
        {
            ++calls;
            madeFor = &owner;
            static_cast<StartupPlugin&> (owner).log.add ("editor");
            return makesEditor ? std::make_unique<juce::Component>() : nullptr;
        };
    }

    TemporaryFolder dataFolder;
    int calls = 0;
    BasePlugin* madeFor = nullptr;
};

TEST_F (BasePluginEditorFactory, BuildsTheEditorAfterTheSettingsAndBeforeTheFirstNotification)
{
    struct Case
    {
        bool layered;
        const char* expectedOrder;
    };
    for (const auto& c : {Case{false, "settings,editor,notify,post"}, Case{true, "settings,editor,notify"}})
    {
        StartupPlugin plugin (c.layered);
        calls = 0;
        plugin.setEditorFactory (makeFactory (true));
        plugin.runLateInitialisation();

        EXPECT_EQ (plugin.log.joinIntoString (","), c.expectedOrder) << "layered " << c.layered;
        EXPECT_EQ (calls, 1);
        EXPECT_EQ (madeFor, &plugin);
        ASSERT_NE (plugin.getGuiController(), nullptr);

        // The host's windows show the persistent editor; none of them makes another one.
        plugin.initialiseGuiController();
        std::unique_ptr<juce::AudioProcessorEditor> window (plugin.createEditor());
        ASSERT_NE (window, nullptr);
        EXPECT_EQ (plugin.getGuiController()->getParentComponent(), window.get());
        EXPECT_EQ (calls, 1);
    }
}

TEST_F (BasePluginEditorFactory, NoFactoryOrNoEditorMeansNoHostWindow)
{
    for (const bool withFactory : {false, true})
    {
        StartupPlugin plugin (true);
        calls = 0;
        if (withFactory)
            plugin.setEditorFactory (makeFactory (false));
        plugin.runLateInitialisation();

        EXPECT_EQ (calls, withFactory ? 1 : 0);
        EXPECT_EQ (plugin.getGuiController(), nullptr);
        EXPECT_EQ (plugin.createEditor(), nullptr);
    }
}
} // namespace
