// Building the panel of a user skin of 150 controls over 40 film strips, as the editor does when it opens
// inside plug-in instantiation: reading the archive, checking its digest, parsing the description, binding
// every control to its parameter. "Cold" decodes every image (the first instance of the process); "warm"
// finds them in the process-wide image cache (every later instance).
#include "engine/Kelvanor.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/SkinSource.h"

#include <benchmark/benchmark.h>
#include <juce_cryptography/juce_cryptography.h>

namespace
{
constexpr int filmStrips = 40;
constexpr int controls = 150;

juce::MemoryBlock pngOf (const juce::Image& image)
{
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    juce::PNGImageFormat().writeImageToStream (image, out);
    out.flush();
    return block;
}

/** A strip of frames frames of a knob-like drawing, so the PNGs compress and decode like real ones. */
juce::Image makeStrip (int frames, int size, int seed)
{
    juce::Image strip (juce::Image::ARGB, size, size * frames, true);
    juce::Graphics g (strip);
    for (int i = 0; i < frames; ++i)
    {
        const auto area =
            juce::Rectangle<float> (0.0f, (float) (i * size), (float) size, (float) size).reduced (3.0f);
        g.setColour (juce::Colour::fromHSV ((float) seed / filmStrips, 0.5f, 0.4f, 1.0f));
        g.fillEllipse (area);
        const float angle = juce::MathConstants<float>::twoPi * (0.1f + 0.8f * (float) i / (float) frames);
        g.setColour (juce::Colours::white);
        g.drawLine (
            {area.getCentre(), area.getCentre().getPointOnCircumference (area.getWidth() * 0.4f, angle)},
            2.0f);
    }
    return strip;
}

juce::MemoryBlock zipOf (const std::vector<std::pair<juce::String, juce::MemoryBlock>>& entries)
{
    juce::ZipFile::Builder builder;
    for (const auto& [name, bytes] : entries)
        builder.addEntry (new juce::MemoryInputStream (bytes, true), 6, name, juce::Time::getCurrentTime());
    juce::MemoryBlock block;
    juce::MemoryOutputStream out (block, false);
    builder.writeToStream (out, nullptr);
    out.flush();
    return block;
}

/** A processor in a private folder with the generated skin "Bench" in its skins folder. */
struct BenchSkin
{
    BenchSkin()
    {
        folder.createDirectory();
        BasePlugin::overrideApplicationDataFolders (folder.getChildFile ("user"),
                                                    folder.getChildFile ("common"));
        processor = std::make_unique<Kelvanor>();

        std::vector<std::pair<juce::String, juce::MemoryBlock>> inner;
        // 30 knob strips of 64 frames, 5 switch strips of 3 frames, 5 button strips of 2 frames.
        for (int i = 0; i < filmStrips; ++i)
        {
            const int frames = i < 30 ? 64 : (i < 35 ? 3 : 2);
            inner.push_back ({"strip" + juce::String (i) + ".png", pngOf (makeStrip (frames, 48, i))});
        }
        inner.push_back ({"back.png", pngOf (juce::Image (juce::Image::RGB, 1100, 700, true))});

        auto& manager = processor->getParameterManager();
        juce::String body = "<gfx resource='back.png'/><controls>";
        for (int i = 0; i < controls; ++i)
        {
            const auto param = manager.getParameterName (i % 86);
            const char* tag =
                i < 100 ? "Knob" : (i < 120 ? "Switch" : (i < 140 ? "ToggleButton" : "Animation"));
            const int strip = i < 100 ? i % 30 : (i < 120 ? 30 + i % 5 : (i < 140 ? 35 + i % 5 : i % 30));
            const int frames = i < 100 || i >= 140 ? 64 : (i < 120 ? 3 : 2);
            body << "<" << tag << " name='c" << i << "'><links><link as='connectedTo' param='" << param
                 << "'/></links><gfx resource='strip" << strip << ".png' framesNum='" << frames
                 << "'/><pos left='" << (i % 20) * 54 << "' top='" << (i / 20) * 54 << "'/></" << tag << ">";
        }
        body << "</controls>";
        const juce::String description = "<PluginEditor application='Kelvanor'><Panel name='MainPanel'>" +
                                         body + "</Panel></PluginEditor>";
        inner.insert (inner.begin(), {"skin.xml", juce::MemoryBlock (description.toRawUTF8(),
                                                                     description.getNumBytesAsUTF8())});

        const auto skinEntry = zipOf (inner);
        const auto digest = juce::MD5 (skinEntry).toHexString();
        const auto outer =
            zipOf ({{"Bench.md5", juce::MemoryBlock (digest.toRawUTF8(), digest.getNumBytesAsUTF8())},
                    {"Bench.skin", skinEntry}});
        const auto skins = SkinSource::getSkinsDirectory (*processor);
        skins.createDirectory();
        skins.getChildFile ("Bench.zebskin").replaceWithData (outer.getData(), outer.getSize());
    }

    ~BenchSkin()
    {
        processor.reset();
        BasePlugin::overrideApplicationDataFolders ({}, {});
        folder.deleteRecursively();
    }

    std::unique_ptr<GFXPanel> build()
    {
        SkinSource source (*processor, "Bench");
        return source.createEditorPanel();
    }

    juce::ScopedJuceInitialiser_GUI juceInitialiser;
    juce::File folder = juce::File::createTempFile ("kelvanor-skin-bench");
    std::unique_ptr<Kelvanor> processor;
};

BenchSkin& benchSkin()
{
    static BenchSkin skin;
    return skin;
}

void BM_SkinPanelCold (benchmark::State& state)
{
    auto& skin = benchSkin();
    int built = 0;
    for (auto _ : state)
    {
        state.PauseTiming();
        juce::ImageCache::releaseUnusedImages();
        state.ResumeTiming();
        auto panel = skin.build();
        built = panel != nullptr ? panel->getNumControls() : -1;
        state.PauseTiming();
        panel.reset();
        state.ResumeTiming();
    }
    state.counters["controls"] = built;
}
BENCHMARK (BM_SkinPanelCold)->Unit (benchmark::kMillisecond);

void BM_SkinPanelWarm (benchmark::State& state)
{
    auto& skin = benchSkin();
    skin.build(); // fills the image cache
    int built = 0;
    for (auto _ : state)
    {
        auto panel = skin.build();
        built = panel != nullptr ? panel->getNumControls() : -1;
        state.PauseTiming();
        panel.reset();
        state.ResumeTiming();
    }
    state.counters["controls"] = built;
}
BENCHMARK (BM_SkinPanelWarm)->Unit (benchmark::kMillisecond);
} // namespace
