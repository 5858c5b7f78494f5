#include "SkinTestSupport.h"

#include <cstdio>

namespace SkinTest
{
namespace
{
const char* const parameterTable = R"(
<PluginParameters application="SkinTest">
  <param index="0" name="Cutoff" value="0.25" auto="true"/>
  <param index="1" name="Resonance" value="0.5" auto="true"/>
  <param index="2" name="Mode" type="int" min="0" max="3" value="2" auto="true"/>
  <param index="3" name="Power" type="bool" value="0" auto="true"/>
  <param index="4" name="Bend" min="-1" max="1" value="0" auto="true"/>
  <param index="5" name="Name" type="string" value="Init"/>
</PluginParameters>)";
} // namespace

Plugin::Plugin()
{
    BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"), folder.getChildFile ("common"));
    auto& manager = getParameterManager();
    manager.loadFromXml (*XmlHelpers::parse (juce::String (parameterTable)));
    manager.addParameter (std::make_unique<FloatParameter> (100, "Tempo", -99999.0f, 99999.0f, 0.0f));
    manager.addParameter (std::make_unique<NoteParameter> (101, "Note", 61));
    manager.addParameter (std::make_unique<IntParameter> (102, "Pattern", 0, 127, 1));
    getEventsMap().addEvent (7001, "Test press");
    getEventsMap().addEvent (7002, "Test release");
    getSkinsFolder().createDirectory();
}

Plugin::~Plugin()
{
    BasePlugin::overrideApplicationDataFolders ({}, {});
}

Parameter& Plugin::parameter (const juce::String& name)
{
    auto& manager = getParameterManager();
    auto* found = manager.getParameter (manager.getParameterIdByName (name));
    jassert (found != nullptr);
    return *found;
}

juce::File Plugin::getSkinsFolder() const
{
    return SkinSource::getSkinsDirectory (*this);
}

//==============================================================================
juce::Colour frameColour (int frame)
{
    return juce::Colour::fromRGB ((juce::uint8) frame, (juce::uint8) (255 - frame), 128);
}

int frameOfColour (juce::Colour colour)
{
    const int frame = colour.getRed();
    return colour == frameColour (frame) ? frame : -1;
}

juce::Image makeStrip (int frames, int width, int frameHeight)
{
    juce::Image strip (juce::Image::RGB, width, frames * frameHeight, false);
    juce::Graphics g (strip);
    for (int i = 0; i < frames; ++i)
    {
        g.setColour (frameColour (i));
        g.fillRect (0, i * frameHeight, width, frameHeight);
    }
    return strip;
}

juce::MemoryBlock encodePng (const juce::Image& image)
{
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    juce::PNGImageFormat().writeImageToStream (image, out);
    out.flush();
    return block;
}

juce::Colour pixelAt (juce::Component& component, juce::Point<int> point)
{
    const auto snapshot = component.createComponentSnapshot (component.getLocalBounds(), false, 1.0f);
    return snapshot.getPixelAt (point.x, point.y);
}

int shownFrame (juce::Component& component)
{
    return frameOfColour (pixelAt (component, component.getLocalBounds().getCentre()));
}

//==============================================================================
juce::String skinDocument (const juce::String& mainPanelBody, const juce::String& application)
{
    return "<PluginEditor application=\"" + application + "\"><Panel name=\"MainPanel\">" + mainPanelBody +
           "</Panel></PluginEditor>";
}

//==============================================================================
juce::MemoryBlock cut (const juce::MemoryBlock& whole, size_t size)
{
    return juce::MemoryBlock (whole.getData(), size);
}

Entries skinEntries (const juce::MemoryBlock& skinXml, const ImageFiles& images)
{
    Entries entries{{"skin.xml", skinXml}};
    entries.insert (entries.end(), images.begin(), images.end());
    return entries;
}

juce::MemoryBlock userSkinArchive (const juce::String& name, const juce::MemoryBlock& skinEntry,
                                   const juce::String* md5Text)
{
    const auto digest = md5Text != nullptr ? *md5Text : SkinSource::digestOf (skinEntry);
    return makeZip ({{name + ".md5", textBlock (digest)}, {name + ".skin", skinEntry}});
}

juce::MemoryBlock writeUserSkin (const juce::File& folder, const juce::String& name,
                                 const Entries& innerEntries, const juce::String* md5Text)
{
    const auto skinEntry = makeZip (innerEntries);
    const auto outer = userSkinArchive (name, skinEntry, md5Text);
    folder.createDirectory();
    folder.getChildFile (name + SkinSource::skinFileExtension)
        .replaceWithData (outer.getData(), outer.getSize());
    return skinEntry;
}

//==============================================================================
juce::String textInputWithFont (const juce::String& text, const juce::String& height,
                                const juce::String& kerning)
{
    return "<TextInput name='" + text + "'><font name='Sans' height='" + height + "' extraKerning='" +
           kerning + "'/>";
}

juce::String controlsShowing (const ImageFiles& images, int controlsPerImage)
{
    juce::String controls;
    for (const auto& image : images)
        controls << juce::String::repeatedString (
            "<Animation name='a'><gfx resource='" + image.first + "'/></Animation>", controlsPerImage);
    return controls;
}

namespace
{
constexpr double secondsPerHostileSkin = 20.0;
constexpr juce::int64 bytesPerHostileSkin = (juce::int64) 1 << 30;

/** A "VmRSS" or "VmHWM" line of the process's status, in bytes. */
juce::int64 memoryFigure (const char* name)
{
    for (const auto& line :
         juce::StringArray::fromLines (juce::File ("/proc/self/status").loadFileAsString()))
        if (line.startsWith (name))
            return line.fromFirstOccurrenceOf (":", false, false).trim().getLargeIntValue() * 1024;
    return 0;
}
} // namespace

void expectAffordable (const std::function<void()>& run, const std::string& label)
{
    // Resets the peak to the present size; where the kernel refuses, the peak of the whole process counts,
    // which can only make the limit stricter.
    if (auto* clear = std::fopen ("/proc/self/clear_refs", "w"))
    {
        std::fputs ("5", clear);
        std::fclose (clear);
    }
    const auto before = memoryFigure ("VmRSS:");
    const auto start = juce::Time::getMillisecondCounterHiRes();
    run();
    const auto seconds = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;
    const auto peakBytes = memoryFigure ("VmHWM:") - before;
    EXPECT_LT (seconds, secondsPerHostileSkin) << label;
    EXPECT_LT (peakBytes, bytesPerHostileSkin) << label;
    juce::ImageCache::releaseUnusedImages();
}

//==============================================================================
void ControllerLog::add (const std::string& what, GUIController* c)
{
    auto* component = dynamic_cast<juce::Component*> (c);
    lines.push_back (what + " " +
                     (component != nullptr ? component->getName().toStdString() : std::string ("?")));
}

juce::MouseEvent mouseAt (juce::Component& component, juce::Point<float> position, juce::ModifierKeys mods,
                          int clicks)
{
    return dragEvent (component, position, position, mods, clicks);
}

juce::MouseEvent dragEvent (juce::Component& component, juce::Point<float> from, juce::Point<float> to,
                            juce::ModifierKeys mods, int clicks)
{
    auto source = juce::Desktop::getInstance().getMainMouseSource();
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (
        source, to, mods, juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
        juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
        juce::MouseInputSource::defaultTiltY, &component, &component, now, from, now, clicks, from != to);
}

void click (juce::Component& component, juce::ModifierKeys mods)
{
    const auto centre = component.getLocalBounds().getCentre().toFloat();
    component.mouseDown (mouseAt (component, centre, mods));
    component.mouseUp (mouseAt (component, centre, mods));
}

void drag (juce::Component& component, juce::Point<float> from, const std::vector<int>& offsetsY,
           juce::ModifierKeys mods)
{
    const auto held = mods.withFlags (juce::ModifierKeys::leftButtonModifier);
    component.mouseDown (mouseAt (component, from, held));
    for (const int dy : offsetsY)
        component.mouseDrag (dragEvent (component, from, from.translated (0.0f, (float) dy), held));
    component.mouseUp (dragEvent (component, from, from.translated (0.0f, (float) offsetsY.back()), held));
}

void SourceTest::embed (std::map<juce::String, juce::Image> images)
{
    SkinSource::overrideEmbeddedImages (
        [images] (const juce::String& name)
        {
            const auto found = images.find (name);
            return found != images.end() ? found->second : juce::Image();
        });
}
} // namespace SkinTest
