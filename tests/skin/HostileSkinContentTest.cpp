#include "ImageTestSupport.h"
#include "PngTestSupport.h"
#include "SkinTestSupport.h"
#include "skin/controller/BaseGFXController.h"
#include "skin/displays/TextInput.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/ImageHeader.h"
#include "skin/source/JpegReader.h"
#include "skin/source/PngReader.h"

#include <gtest/gtest.h>
#include <png.h>

// What lies inside a user skin's archive is as hostile as the archive itself: its description, its
// images and the inner archive must never take the host down.
namespace
{
using namespace SkinTest;

// Every kind of control that reads numbers or images.
const juce::String description = skinDocument (
    "<gfx resource='back.png'/><controls ofsX='2' ofsY='3'>"
    "<Knob name='knob'><links><link as='connectedTo' param='Cutoff'/></links>"
    "<gfx resource='strip.png' framesNum='4'/><pos left='5' top='6'/></Knob>"
    "<Switch name='switch'><gfx resource='strip.png' framesNum='4'/><pos left='30' top='6'/></Switch>"
    "<Animation name='animation'><gfx resource='strip.png' framesNum='2'/><pos left='45' "
    "top='6'/></Animation>"
    "<MultiStateButton name='multi' states='3' style='3D'><gfx resource='strip.png'/><pos left='60' top='6'/>"
    "</MultiStateButton><ToggleButton name='toggle' radioGroupId='2'><gfx "
    "resource='strip.png'/></ToggleButton>"
    "<Display name='text' fontHeight='4' firstASCII='A'><gfx resource='font.png'/><pos left='5' top='40'/>"
    "<size width='60' height='8'/></Display>"
    "<NumericDisplay name='numeric' digitsNum='3' firstDigitOrder='100' minValue='-10' maxValue='100'>"
    "<links><link as='connectedTo' param='Tempo'/></links><digits resource='digits.png'/>"
    "<sign><gfx resource='strip.png'/></sign><size width='30' height='10'/><pos left='70' top='40'/>"
    "</NumericDisplay><NoteDisplay name='note'><links><link as='connectedTo' param='Note'/></links>"
    "<size width='30' height='10'/><pos left='5' top='55'/></NoteDisplay>"
    "<PatternNumberDisplay name='pattern' slotMax='12' numericPatternMax='16'><pos left='40' top='55'/>"
    "<size width='40' height='12'/></PatternNumberDisplay>"
    "<MidiKeyboard name='keys' firstKey='48' lastKey='50'><pos left='0' top='70'/><size width='60' "
    "height='20'/>"
    "<Keys><Key left='0' right='1'><gfx resource='strip.png' framesNum='2'/><pos left='0' top='70'/></Key>"
    "<Key><size width='10' height='20'/><pos left='20' top='70'/></Key></Keys></MidiKeyboard>" +
    textInputWithFont ("input", "12", "0") +
    "<pos left='65' top='70'/><size width='50' height='14'/></TextInput>"
    "<Panel name='inner'><gfx resource='strip.png' framesNum='2' transparent='1'/><pos left='80' top='55'/>"
    "<controls ofsY='1'><Button name='button'><gfx resource='strip.png' framesNum='2'/></Button></controls>"
    "</Panel></controls>");

/** The skin's images, each of another format or colour type: the content decides, not the name. */
ImageFiles makeImages()
{
    return {{"back.png", JpegBytes::write (120, 100, 3)},
            {"strip.png", PngBytes::writeWithLibpng (10, 40, PNG_FORMAT_RGBA)},
            {"digits.png", GifBytes::write ({6, 120, 16, 5})},
            {"font.png", PngBytes::writeWithLibpng (5, 64, PNG_FORMAT_GA)}};
}

using HostileSkinContent = UserSkinTest;

TEST_F (HostileSkinContent, AnImageIsDecodedByItsContentAndADamagedOneIsRefusedWhileTheRestBuilds)
{
    // JUCE's own loaders crashed on the damaged PNG; its JPEG and GIF loaders crash on damaged files too.
    const auto png = encodePng (makeStrip (1, 8, 8));
    const auto idat = PngBytes::findChunk (png, "IDAT");
    const auto jpeg = JpegBytes::write (10, 40, 3);
    const auto gif = GifBytes::write ({10, 40, 4});
    auto gifFrameOffScreen = gif;
    GifBytes::put16 (gifFrameOffScreen, GifBytes::frameOffset (gif) + 1, 1);

    const struct
    {
        const char* what;
        juce::MemoryBlock bytes;
        bool decoded;
    } cases[] = {{"a JPEG", jpeg, true},
                 {"a GIF", gif, true},
                 {"a broken zlib check behind a correct checksum",
                  PngBytes::flipped (png, idat, idat.length - 1, 0x5a), false},
                 {"a JPEG cut short", cut (jpeg, jpeg.getSize() / 2), false},
                 {"a GIF cut short", cut (gif, gif.getSize() / 2), false},
                 {"a GIF whose frame leaves its screen", gifFrameOffScreen, false},
                 {"a bitmap", textBlock ("BM not a format skins may hold"), false},
                 {"an empty entry", {}, false}};
    for (const auto& c : cases)
    {
        auto images = makeImages();
        // Built anew, not copy-assigned: JUCE's copy assignment reads an empty block's null data.
        images["strip.png"] = juce::MemoryBlock (c.bytes.getData(), c.bytes.getSize());
        writeSkin (textBlock (description), images);

        const auto panel = buildSkin();
        ASSERT_NE (panel, nullptr) << c.what;
        EXPECT_TRUE (panel->hasImage()) << c.what;
        const auto* knob = dynamic_cast<const BaseGFXController*> (panel->findControl ("knob"));
        ASSERT_NE (knob, nullptr) << c.what;
        EXPECT_EQ (knob->hasImage(), c.decoded) << c.what;
    }
}

TEST_F (HostileSkinContent, AnEmptySkinEntryIsNoSkin)
{
    const juce::MemoryBlock nothing;
    EXPECT_EQ (SkinSource::digestOf (nothing), "d41d8cd98f00b204e9800998ecf8427e");

    const auto outer = userSkinArchive (skinName, nothing);
    ASSERT_TRUE (skinFile().replaceWithData (outer.getData(), outer.getSize()));
    EXPECT_FALSE (SkinSource::isSkinValid (plugin, skinName));
    EXPECT_EQ (buildSkin(), nullptr);
}

//==============================================================================
// A fixed-seed run of mutations of the skin above, built and painted at twice the size.

class HostileSkinFuzz : public HostileSkinContent
{
protected:
    enum Mutation
    {
        numberInDescription,
        bytesOfDescription,
        bytesOfImage,
        imageDataBehindItsChecksum,
        imageCut,
        // Shapes that cost without end before they were bounded.
        hugeKerning,
        hugeArea,
        manyLargeImages,
        manyControlsOnOneBrokenImage,
        manyScans,
        bytesOfInnerArchive, // the archive mutations come last
        bytesOfOuterArchive,
        outerArchiveCut,
        numMutations
    };

    /** Sets 1 to 4 bytes at random places from the offset on. */
    void changeBytes (juce::MemoryBlock& bytes, size_t from = 0)
    {
        for (int n = 1 + random.nextInt (4); --n >= 0 && bytes.getSize() > from;)
            bytes[(int) (from + (size_t) random.nextInt ((int) (bytes.getSize() - from)))] =
                (char) random.nextInt (256);
    }

    /** One to three quoted values of the description replaced by numbers and words that broke arithmetic. */
    juce::String withHostileValues()
    {
        static const char* const hostile[] = {"2147483647",
                                              "-2147483648",
                                              "2147483648",
                                              "1073741824",
                                              "268435456",
                                              "4294967296",
                                              "99999999999999999999",
                                              "-1",
                                              "0",
                                              "65535",
                                              "1e308",
                                              "-1e308",
                                              "nan",
                                              "",
                                              " 7"};
        auto text = description;
        for (int n = 1 + random.nextInt (3); --n >= 0;)
        {
            juce::Array<int> starts;
            for (int i = text.indexOf ("='"); i >= 0; i = text.indexOf (i + 1, "='"))
                starts.add (i + 2);
            const int start = starts[random.nextInt (starts.size())];
            text = text.replaceSection (start, text.indexOfChar (start, '\'') - start,
                                        hostile[random.nextInt ((int) std::size (hostile))]);
        }
        return text;
    }

    template <typename Item, size_t size>
    const Item& pick (const Item (&items)[size])
    {
        return items[random.nextInt ((int) size)];
    }

    /** The text input's font and text, of lengths and numbers that overflowed JUCE's geometry. */
    juce::String withHostileFont()
    {
        static const char* const kerning[] = {"-65536", "65536", "-1e30", "-1", "-0.5", "1"};
        static const char* const height[] = {"12", "1024", "1e30"};
        const auto text = juce::String::repeatedString ("Wl", 1 + random.nextInt (12000));
        const juce::String fontKerning = pick (kerning);
        return description.replace (textInputWithFont ("input", "12", "0"),
                                    textInputWithFont (text, pick (height), fontKerning));
    }

    /** The main panel without its image, at a size given by numbers. */
    juce::String withPanelSize()
    {
        static const char* const sides[] = {"0", "1", "3", "4096", "16384", "32768", "2147483647"};
        return description.replace (
            "<gfx resource='back.png'/>",
            "<size width='" + juce::String (pick (sides)) + "' height='" + pick (sides) + "'/>", false);
    }

    /** The description with controls added to the main panel's that show the added images, so many to each;
        the images join the skin's. */
    static juce::String withImagesShown (ImageFiles& images, const ImageFiles& added, int controlsPerImage)
    {
        images.insert (added.begin(), added.end());
        return description.replace ("</controls></Panel></PluginEditor>",
                                    controlsShowing (added, controlsPerImage) +
                                        "</controls></Panel></PluginEditor>");
    }

    /** A large image of one colour; when not whole, cut at random inside that first fraction of its data. */
    juce::MemoryBlock largeImage (int side, bool whole, double cutBelow = 1.0)
    {
        const auto png = PngBytes::writeFlat (side, side, frameColour (random.nextInt (256)));
        return whole ? png : PngBytes::cutInsideData (png, random.nextDouble() * cutBelow);
    }

    /** Writes the skin of that mutation; returns its images as they went into the inner archive. */
    ImageFiles writeMutated (Mutation mutation)
    {
        auto xml = textBlock (description);
        auto images = makeImages();
        auto& image = std::next (images.begin(), random.nextInt ((int) images.size()))->second;
        // Only a PNG has chunk checksums; the others have their bytes changed after their signature.
        const auto chunks = PngReader::hasSignature (image.getData(), image.getSize())
                                ? PngBytes::chunksOf (image)
                                : std::vector<PngBytes::Chunk>{};

        switch (mutation)
        {
            case numberInDescription: xml = textBlock (withHostileValues()); break;
            case bytesOfDescription: changeBytes (xml); break;
            case bytesOfImage: changeBytes (image, 8); break;
            case imageDataBehindItsChecksum:
            {
                if (chunks.empty())
                {
                    changeBytes (image, 3);
                    break;
                }
                const auto& chunk = chunks[(size_t) random.nextInt ((int) chunks.size())];
                for (int n = 1 + random.nextInt (4); --n >= 0 && chunk.length > 0;)
                    image[(int) (chunk.dataOffset + (size_t) random.nextInt ((int) chunk.length))] =
                        (char) random.nextInt (256);
                PngBytes::fixChecksum (image, chunk);
                break;
            }
            case imageCut: image.setSize ((size_t) random.nextInt ((int) image.getSize())); break;
            case hugeKerning: xml = textBlock (withHostileFont()); break;
            case hugeArea: xml = textBlock (withPanelSize()); break;
            case manyLargeImages:
            {
                // Mostly cut in their first eighth: each claims its whole size, and costs less to read.
                static const int sides[] = {64, 1024, 4096};
                ImageFiles large;
                for (int i = 1 + random.nextInt (12); --i >= 0;)
                {
                    const bool whole = random.nextInt (4) == 0;
                    large["large" + juce::String (i) + ".png"] = largeImage (pick (sides), whole, 0.125);
                }
                xml = textBlock (withImagesShown (images, large, 1));
                break;
            }
            case manyControlsOnOneBrokenImage:
            {
                static const int sides[] = {1024, 4096};
                const ImageFiles broken{{"broken.png", largeImage (pick (sides), false)}};
                xml = textBlock (withImagesShown (images, broken, 100 + random.nextInt (900)));
                break;
            }
            case manyScans:
            {
                static const int sides[] = {64, 1024};
                static const int scans[] = {2, JpegReader::maxScans, JpegReader::maxScans + 1, 40000};
                images["back.png"] = JpegBytes::writeWithScans (pick (sides), pick (sides), pick (scans));
                break;
            }
            default: break;
        }

        auto inner = makeZip (skinEntries (xml, images));
        if (mutation == bytesOfInnerArchive)
            changeBytes (inner);
        auto outer = userSkinArchive (skinName, inner);
        if (mutation == bytesOfOuterArchive)
            changeBytes (outer);
        if (mutation == outerArchiveCut)
            outer.setSize ((size_t) random.nextInt ((int) outer.getSize()));
        skinFile().replaceWithData (outer.getData(), outer.getSize());
        return images;
    }

    struct Tally
    {
        int panels = 0, refusedSkins = 0, images = 0, refusedImages = 0;
    };

    /** Each mutation in turn, in each round: the skin is built and painted (whole as well, when the renderer
        would draw it) and its images are read one by one, within a time and a memory limit per case. */
    Tally runCases (int rounds, const std::vector<Mutation>& mutations)
    {
        Tally tally;

        for (int round = 0; round < rounds; ++round)
            for (const auto m : mutations)
            {
                const auto label = "round " + std::to_string (round) + " mutation " + std::to_string (m);
                const auto written = writeMutated (m);
                juce::int64 claimedPixels = 0;
                for (const auto& [name, bytes] : written)
                    if (const auto header = ImageHeader::readSize (bytes.getData(), bytes.getSize());
                        ImageHeader::isAcceptable (header, SkinSource::maxImageSide,
                                                   SkinSource::maxImagePixels))
                        claimedPixels += (juce::int64) header.width * header.height;

                expectAffordable ([&] { readSkin (m, written, claimedPixels, label, tally); }, label);
            }
        return tally;
    }

    void readSkin (Mutation m, const ImageFiles& written, juce::int64 claimedPixels, const std::string& label,
                   Tally& tally)
    {
        { // the panel is gone before the images are read one by one
            const auto panel = buildSkin();
            (panel != nullptr ? tally.panels : tally.refusedSkins)++;
            // With large images, the skin is refused exactly when their pixels go beyond its budget.
            EXPECT_TRUE (m != manyLargeImages ||
                         (panel != nullptr) == (claimedPixels <= SkinSource::maxSkinPixels))
                << label << ": " << (panel != nullptr ? "built" : "refused") << " at " << claimedPixels
                << " pixels claimed";
            if (panel != nullptr)
            {
                checkAndPaint (*panel, label);
                if (GFXPanel::isShowableSize (panel->getWidth(), panel->getHeight(), 0, 1.0f))
                    panel->createComponentSnapshot (panel->getLocalBounds());
            }
        }

        // An image is decoded at the size its header claims, or not at all.
        SkinSource userSkin (plugin, skinName);
        for (const auto& [name, bytes] : written)
        {
            const auto image = userSkin.getImageFromSkinFile (name);
            (image.isValid() ? tally.images : tally.refusedImages)++;
            const auto header = ImageHeader::readSize (bytes.getData(), bytes.getSize());
            if (image.isValid() && m < bytesOfInnerArchive)
            {
                EXPECT_EQ (image.getBounds(), juce::Rectangle<int> (header.width, header.height)) << label;
            }
            EXPECT_LE (image.getWidth() * (juce::int64) image.getHeight(), SkinSource::maxImagePixels);
        }
    }

    /** Every component of the tree lies well inside the int range and paints at twice the size; a text
        input paints while it edits too. */
    static void checkAndPaint (juce::Component& component, const std::string& label)
    {
        if (auto* input = dynamic_cast<TextInput*> (&component))
            input->showEditor();
        // JUCE sizes the editor's inner parts to the whole text; the field draws them within its own bounds.
        if (dynamic_cast<juce::TextEditor*> (&component) != nullptr)
            return;
        constexpr juce::int64 farthest = 4 * (juce::int64) GFXPanel::maxSkinCoordinate;
        const auto x = (juce::int64) component.getX(), y = (juce::int64) component.getY();
        for (const auto n : {x, y, x + component.getWidth(), y + component.getHeight()})
            EXPECT_LE (std::abs (n), farthest) << label << ": " << component.getName();

        const auto area = component.getLocalBounds().withSize (juce::jmin (48, component.getWidth()),
                                                               juce::jmin (48, component.getHeight()));
        if (!area.isEmpty())
            component.createComponentSnapshot (area, false, 2.0f);
        for (auto* child : component.getChildren())
            checkAndPaint (*child, label);
    }

    juce::Random random{20240611};
};

TEST_F (HostileSkinFuzz, NoMutationOfASkinTakesTheProcessDown)
{
    constexpr int rounds = 40;
    const auto tally =
        runCases (rounds, {numberInDescription, bytesOfDescription, bytesOfImage, imageDataBehindItsChecksum,
                           imageCut, bytesOfInnerArchive, bytesOfOuterArchive, outerArchiveCut});

    // The run reached both ends: skins built and refused, images decoded and refused.
    EXPECT_GT (tally.panels, rounds);
    EXPECT_GT (tally.refusedSkins, rounds);
    EXPECT_GT (tally.images, rounds);
    EXPECT_GT (tally.refusedImages, rounds);
}

TEST_F (HostileSkinFuzz, NoCostlyShapeOfASkinGoesBeyondItsTimeOrMemory)
{
    // Fewer rounds: each shape is costly to make, and up to the limits, to read.
    constexpr int rounds = 8;
    const auto tally =
        runCases (rounds, {hugeKerning, hugeArea, manyLargeImages, manyControlsOnOneBrokenImage, manyScans});

    EXPECT_GT (tally.panels, rounds);
    EXPECT_GT (tally.refusedSkins, 0) << "no skin went beyond its budget of pixels";
    EXPECT_GT (tally.images, rounds);
    EXPECT_GT (tally.refusedImages, rounds);
}
} // namespace
