#pragma once

#include "KelvanorPluginTestSupport.h"
#include "XvfbDisplay.h"
#include "tools/HostEditor.h"

#include <functional>
#include <memory>

/** Where the first control of the embedded skin that matches lies in the editor: its "pos", and its "size"
    or, without one, the size of one frame of its image. Empty when no control matches. */
inline juce::Rectangle<int> skinControlBounds (const std::function<bool (const juce::XmlElement&)>& matches)
{
    const juce::File resources (KELVANOR_RESOURCES_DIR);
    const auto skin = juce::parseXML (resources.getChildFile ("skin.xml"));
    if (skin == nullptr)
        return {};

    const juce::XmlElement* found = nullptr;
    std::function<void (const juce::XmlElement&)> search = [&] (const juce::XmlElement& e)
    {
        for (const auto* child : e.getChildIterator())
            if (found == nullptr)
            {
                if (matches (*child))
                    found = child;
                else
                    search (*child);
            }
    };
    search (*skin);
    if (found == nullptr)
        return {};

    juce::Rectangle<int> bounds;
    if (const auto* pos = found->getChildByName ("pos"))
        bounds.setPosition (pos->getIntAttribute ("left"), pos->getIntAttribute ("top"));
    if (const auto* size = found->getChildByName ("size"))
        bounds.setSize (size->getIntAttribute ("width"), size->getIntAttribute ("height"));
    if (const auto* gfx = found->getChildByName ("gfx"); gfx != nullptr && bounds.isEmpty())
        for (const auto& file :
             resources.findChildFiles (juce::File::findFiles, true, gfx->getStringAttribute ("resource")))
            if (const auto image = juce::ImageFileFormat::loadFrom (file); image.isValid())
            {
                bounds.setSize (image.getWidth(),
                                image.getHeight() / juce::jmax (1, gfx->getIntAttribute ("framesNum", 1)));
                break;
            }
    return bounds;
}

/** Where the control of the embedded skin with that name lies in the editor. */
inline juce::Rectangle<int> skinControlNamed (const juce::String& name)
{
    return skinControlBounds ([name] (const juce::XmlElement& e)
                              { return e.getStringAttribute ("name") == name; });
}

/** The plug-in with its editor open in a window of the host's own, drawn once, in a settings folder of its
    own. Skips without a private X server or without XTest to send the user's input. */
class KelvanorEditorInHostWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KELVANOR_REQUIRE_XVFB();
        plugin = openKelvanor();
        ASSERT_TRUE (plugin->isOpen());
        window = std::make_unique<HostEditorWindow> (320, 200);
        ASSERT_TRUE (window->isValid()) << window->getError();
        if (!window->canSendInput())
            GTEST_SKIP() << "no XTest on this display";
        session = std::make_unique<HostEditorSession> (*plugin, *window);
        ASSERT_TRUE (session->open());
        ASSERT_GE (session->waitForFirstPaint (HostEditorSession::defaultTimeoutSeconds), 0.0);
    }

    void TearDown() override
    {
        session.reset();
        window.reset();
        plugin.reset();
    }

    /** Idles the host until the condition holds; false after a deadline generous enough for a loaded
        machine. */
    bool idleUntil (const std::function<bool()>& condition) { return session->idleUntil (condition); }

    ScopedPluginHome home;
    std::unique_ptr<HostedPlugin> plugin;
    std::unique_ptr<HostEditorWindow> window;
    std::unique_ptr<HostEditorSession> session;
};
