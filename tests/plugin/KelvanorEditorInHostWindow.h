#pragma once

#include "KelvanorPluginTestSupport.h"
#include "PictureComparison.h"
#include "XvfbDisplay.h"
#include "tools/HostEditor.h"

#include <functional>
#include <memory>
#include <utility>

/** The Cutoff parameter's index. */
constexpr int cutoffParameter = 2;

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

//==============================================================================
/** The chunk effGetChunk hands out for that index (0: the whole state, 1: the current program), as a host
    keeps it; empty when there is none. */
inline juce::MemoryBlock chunkAt (HostedPlugin& plugin, int index)
{
    void* data = nullptr;
    const auto size = plugin.dispatch (effGetChunk, index, 0, &data);
    return size > 0 && data != nullptr ? juce::MemoryBlock (data, (size_t) size) : juce::MemoryBlock();
}

//==============================================================================
/** The plug-in with its editor open in a window of the host's own, drawn once, in a settings folder of its
    own, with the ways a user clicks and looks at it. Skips without a private X server or without XTest to
    send the user's input. Every wait is for a state, with a deadline generous enough for a loaded machine. */
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
        editorOpened();
    }

    /** What a test's own fixture does once the editor has drawn. */
    virtual void editorOpened() {}

    void TearDown() override
    {
        session.reset();
        window.reset();
        plugin.reset();
    }

    /** Idles the host until the condition holds; false after the deadline. */
    bool idleUntil (const std::function<bool()>& condition) { return session->idleUntil (condition); }

    /** A click at a point of the editor, Ctrl held when asked, and the host idles a moment after it. */
    void click (juce::Point<int> where, bool withControl = false)
    {
        ASSERT_TRUE (withControl ? window->clickWithControl (where) : window->click (where));
        session->idle (0.05);
    }

    /** A click in the middle of a control. */
    void clickOn (juce::Rectangle<int> control, bool withControl = false)
    {
        ASSERT_FALSE (control.isEmpty()) << "no such control";
        click (control.getCentre(), withControl);
    }

    /** A click in the middle of the skin's control of that name. */
    void press (const juce::String& control, bool withControl = false)
    {
        SCOPED_TRACE (control);
        clickOn (skinControlNamed (control), withControl);
    }

    /** What the window shows in that area; an invalid image when it cannot be read. */
    juce::Image captureOf (juce::Rectangle<int> area) const
    {
        return window->capture().getClippedImage (area);
    }

    bool shows (juce::Rectangle<int> area, const juce::Image& picture, PictureTolerance tolerance = {}) const
    {
        return samePicture (captureOf (area), picture, tolerance);
    }

    bool waitUntilShows (juce::Rectangle<int> area, const juce::Image& picture,
                         PictureTolerance tolerance = {})
    {
        return idleUntil ([&] { return shows (area, picture, tolerance); });
    }

    /** Waits until the area shows another picture than the one before. */
    bool waitUntilChanges (juce::Rectangle<int> area, const juce::Image& before,
                           PictureTolerance tolerance = {})
    {
        return idleUntil ([&] { return otherPicture (captureOf (area), before, tolerance); });
    }

    /** The area's picture once two captures in a row agree, so that nothing half-drawn becomes a reference;
        an invalid image when it never settles. */
    juce::Image settledCaptureOf (juce::Rectangle<int> area, PictureTolerance tolerance = {})
    {
        auto settled = captureOf (area);
        const bool same = idleUntil (
            [&]
            {
                const auto before = std::exchange (settled, captureOf (area));
                return samePicture (before, settled, tolerance);
            });
        return same ? settled : juce::Image();
    }

    /** The current preset's index in the state now; -1 when the state holds none. */
    int currentPreset()
    {
        const auto state = chunkDocumentAt (0);
        const auto* presets = state != nullptr ? state->getChildByName ("PresetsState") : nullptr;
        return presets != nullptr ? presets->getIntAttribute ("currentPreset", -1) : -1;
    }

    /** The document of a chunk effGetChunk hands out now (0: the whole state, 1: the current program). */
    std::unique_ptr<juce::XmlElement> chunkDocumentAt (int index)
    {
        return chunkDocument (chunkAt (*plugin, index));
    }

    ScopedPluginHome home;
    std::unique_ptr<HostedPlugin> plugin;
    std::unique_ptr<HostEditorWindow> window;
    std::unique_ptr<HostEditorSession> session;
};
