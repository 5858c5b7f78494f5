#pragma once

#include "SilentTestPlugin.h"
#include "TestNames.h"
#include "TestSupport.h"
#include "framework/BasePlugin.h"
#include "framework/XmlHelpers.h"
#include "skin/controller/GUIController.h"
#include "skin/displays/GFXDisplay.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/SkinSource.h"

#include <functional>
#include <gtest/gtest.h>
#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

/** Shared fixtures of the skin tests: a small processor to bind controls to, flat-colour film strips,
    skin documents and user skin archives built in memory, recording listeners and synthetic mouse events. */
namespace SkinTest
{
/** The product name a test skin's "application" must carry. */
inline constexpr const char* productName = "SkinTest";

/** Parameters: 0 "Cutoff" (float, 0.25), 1 "Resonance" (float, 0.5), 2 "Mode" (int 0..3, 2),
    3 "Power" (bool, off), 4 "Bend" (float -1..1, 0), 5 "Name" (string), and the wide ones the displays
    show: 100 "Tempo" (float -99999..99999, 0), 101 "Note" (61), 102 "Pattern" (int 0..127, 1). Events: the
   processor's own plus 7001 "Test press" and 7002 "Test release". The folder seam points into a temporary
   folder for the fixture's life, so no test reaches the real skins folder. */
class Plugin : public SilentTestPlugin
{
public:
    Plugin();
    ~Plugin() override;

    juce::String getProductName() const override { return productName; }
    juce::String getFilePrefix() const override { return "ST"; }
    int getNumHostParameters() const override { return 6; }

    Parameter& parameter (const juce::String& name);
    juce::File getSkinsFolder() const;

    juce::MidiKeyboardState keyboardState;

private:
    TemporaryFolder folder;
};

//==============================================================================
// Film strips whose frame i is one flat, unique, opaque colour, so the centre pixel names the frame.

juce::Colour frameColour (int frame);
/** The frame a colour names; -1 for a colour that names none (a background, a blend of two frames). */
int frameOfColour (juce::Colour colour);
juce::Image makeStrip (int frames, int width, int frameHeight);
juce::MemoryBlock encodePng (const juce::Image& image);

/** The frame shown in the centre of the component, from a headless snapshot; -1 when none. */
int shownFrame (juce::Component& component);
/** The snapshot's pixel at a point of the component. */
juce::Colour pixelAt (juce::Component& component, juce::Point<int> point);

//==============================================================================
// Skin documents

/** <PluginEditor application="..."> with one main panel whose elements are the given text. */
juce::String skinDocument (const juce::String& mainPanelBody, const juce::String& application = productName);

//==============================================================================
// Archives

using ::Entries;
using ::makeZip;
using ::textBlock;

/** Image files by their names in a skin's archive. */
using ImageFiles = std::map<juce::String, juce::MemoryBlock>;

/** The first bytes of a file. */
juce::MemoryBlock cut (const juce::MemoryBlock& whole, size_t size);

/** A skin's inner entries: "skin.xml" of that text, then the images. */
Entries skinEntries (const juce::MemoryBlock& skinXml, const ImageFiles& images = {});

/** A ".zebskin" archive's bytes: "<name>.skin" holding that entry and "<name>.md5" with the given text (by
    default the entry's digest). */
juce::MemoryBlock userSkinArchive (const juce::String& name, const juce::MemoryBlock& skinEntry,
                                   const juce::String* md5Text = nullptr);

/** "<name>.zebskin" in the folder, holding "<name>.skin" (a zip of the inner entries) and "<name>.md5"
    with the given text (by default the digest of the ".skin" entry). Returns the ".skin" entry's bytes. */
juce::MemoryBlock writeUserSkin (const juce::File& folder, const juce::String& name,
                                 const Entries& innerEntries, const juce::String* md5Text = nullptr);

//==============================================================================
// Hostile skins: the shapes that cost without end before they were bounded, and what they may cost

/** A text input of that name (the text it shows), in a font of that height and extra kerning; its position
    and size, then its closing tag, follow. */
juce::String textInputWithFont (const juce::String& text, const juce::String& height,
                                const juce::String& kerning);

/** Controls that show the images, so many to each image. */
juce::String controlsShowing (const ImageFiles& images, int controlsPerImage = 1);

/** Runs the function and expects it within what building a hostile skin may cost: 20 s (room for the
    sanitizers on a busy machine), and 1 GB above the resident memory before. A release build takes well under
    a second and a few hundred megabytes. The images it leaves in JUCE's image cache are released after. */
void expectAffordable (const std::function<void()>& run, const std::string& label);

//==============================================================================
// Recording listeners

/** Every GUIController::Listener call as a line: "started <control>", "ended", "value", "action <id>". */
class ControllerLog : public GUIController::Listener
{
public:
    void controllerDragStarted (GUIController* c) override { add ("started", c); }
    void controllerDragEnded (GUIController* c) override { add ("ended", c); }
    void controllerValueChanged (GUIController* c) override { add ("value", c); }
    void controllerActionTriggered (GUIController* c, int eventId) override
    {
        add ("action " + std::to_string (eventId), c);
    }

    std::vector<std::string> lines;

private:
    void add (const std::string& what, GUIController* c);
};

/** Counts what a parameter's synchronous listeners hear: gesture begins and ends, value changes. */
class GestureCounter : public Parameter::Listener
{
public:
    void parameterChanged (Parameter*) override { ++changes; }
    void parameterChangeGestureBegin (Parameter*) override { ++begins; }
    void parameterChangeGestureEnd (Parameter*) override { ++ends; }

    int begins = 0;
    int ends = 0;
    int changes = 0;
};

/** What a text display's listeners hear: each committed text. */
struct EditLog : public GFXDisplayListener
{
    void displayTextEdited (GFXDisplay* display) override { texts.add (display->getText()); }
    juce::StringArray texts;
};

/** A synthetic mouse event on the component at a local point (headless). */
juce::MouseEvent mouseAt (juce::Component& component, juce::Point<float> position,
                          juce::ModifierKeys mods = {}, int clicks = 1);
/** A synthetic drag event: pressed at from, now at to. */
juce::MouseEvent dragEvent (juce::Component& component, juce::Point<float> from, juce::Point<float> to,
                            juce::ModifierKeys mods = {}, int clicks = 1);
/** A left-button drag as a user makes it: pressed at from, moved by each vertical offset in turn, released
    at the last. */
void drag (juce::Component& component, juce::Point<float> from, const std::vector<int>& offsetsY,
           juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier);
/** A click as a user makes it: pressed and released at the component's centre. */
void click (juce::Component& component, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier);

//==============================================================================
/** A processor to bind controls to and a skin source over it whose embedded images are the ones a test
    serves; elements load from text. */
class SourceTest : public ::testing::Test
{
protected:
    void TearDown() override { SkinSource::overrideEmbeddedImages ({}); }

    /** Serves the named images as if embedded. */
    static void embed (std::map<juce::String, juce::Image> images);

    template <typename Control>
    void load (Control& control, const juce::String& xml)
    {
        const auto element = XmlHelpers::parse (xml);
        ASSERT_NE (element, nullptr) << xml;
        control.loadFromXml (*element, source);
    }

    Parameter& parameter (const juce::String& name) { return plugin.parameter (name); }

    /** The flat-colour frame under a point of the component; -1 when none. */
    static int frameAt (juce::Component& component, juce::Point<int> point)
    {
        return frameOfColour (pixelAt (component, point));
    }

    Plugin plugin;
    SkinSource source{plugin, {}};
};

/** A user skin of the test's own in the skins folder, and the panel built from it as the editor builds it. */
class UserSkinTest : public SourceTest
{
protected:
    juce::File skinFile() const
    {
        return plugin.getSkinsFolder().getChildFile (skinName + SkinSource::skinFileExtension);
    }

    void writeSkin (const juce::MemoryBlock& skinXml, const ImageFiles& images = {})
    {
        writeUserSkin (plugin.getSkinsFolder(), skinName, skinEntries (skinXml, images));
    }

    /** The skin's main panel, or null when the skin is refused; the source is idle after either. */
    std::unique_ptr<GFXPanel> buildSkin()
    {
        SkinSource userSkin (plugin, skinName);
        userSkin.setKeyboardState (&plugin.keyboardState);
        auto panel = userSkin.createEditorPanel();
        EXPECT_EQ (userSkin.getLoadingMode(), SkinSource::idle);
        return panel;
    }

    const juce::String skinName = "Hostile";
};
} // namespace SkinTest
