#include "skin/source/SkinSource.h"
#include "SkinTestSupport.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/ImageHeader.h"

#include <gtest/gtest.h>

namespace
{
using namespace SkinTest;

const juce::String oneKnobPanel = "<gfx resource='back.png'/><controls>"
                                  "<Panel name='inner'><gfx resource='strip.png' framesNum='4'/></Panel>"
                                  "</controls>";

class SkinSourceTest : public SourceTest
{
protected:
    Entries validEntries (const juce::String& description = skinDocument (oneKnobPanel))
    {
        return {{"skin.xml", textBlock (description)},
                {"back.png", encodePng (makeStrip (1, 30, 20))},
                {"strip.png", encodePng (makeStrip (4, 10, 5))}};
    }

    juce::File skins() const { return plugin.getSkinsFolder(); }
};

TEST_F (SkinSourceTest, UserSkinArchivesAreOpenedOnlyWhenWholeAndTheirChecksumMatches)
{
    const auto validDigest = SkinSource::digestOf (makeZip (validEntries()));
    enum Form
    {
        archive,
        folder,
        text,
        none
    };
    struct Case
    {
        const char* what;
        Form form;
        juce::String md5Name, digest, skinName; // archive entries; an empty name leaves the entry out
        bool valid;
    };
    const Case cases[] = {
        {"valid", archive, "Skin.md5", validDigest, "Skin.skin", true},
        {"upper-case digest", archive, "Skin.md5", validDigest.toUpperCase(), "Skin.skin", true},
        {"digest with a trailing line break", archive, "Skin.md5", validDigest + "\n", "Skin.skin", false},
        {"wrong digest", archive, "Skin.md5", juce::String::repeatedString ("0", 32), "Skin.skin", false},
        {"no md5 entry", archive, "", validDigest, "Skin.skin", false},
        {"no skin entry", archive, "Skin.md5", validDigest, "", false},
        {"entries named in another case", archive, "skin.md5", validDigest, "skin.skin", false},
        {"a folder named like the archive", folder, {}, {}, {}, false},
        {"not a zip", text, {}, {}, {}, false},
        {"no file", none, {}, {}, {}, false},
    };

    for (const auto& c : cases)
    {
        skins().deleteRecursively();
        skins().createDirectory();
        const auto file = skins().getChildFile ("Skin.zebskin");
        Entries entries;
        if (c.md5Name.isNotEmpty())
            entries.push_back ({c.md5Name, textBlock (c.digest)});
        if (c.skinName.isNotEmpty())
            entries.push_back ({c.skinName, makeZip (validEntries())});
        if (const auto outer = makeZip (entries); c.form == archive)
            file.replaceWithData (outer.getData(), outer.getSize());
        else if (c.form == folder)
            writeUserSkin (file, "Skin", validEntries());
        else if (c.form == text)
            file.replaceWithText ("hello");
        EXPECT_EQ (SkinSource::isSkinValid (plugin, "Skin"), c.valid) << c.what;

        SkinSource reader (plugin, "Skin");
        const auto panel = reader.createEditorPanel();
        EXPECT_EQ (panel != nullptr, c.valid) << c.what;
        EXPECT_EQ (reader.getLoadingMode(), SkinSource::idle) << c.what;
        if (panel != nullptr)
        {
            EXPECT_EQ (panel->getName(), "MainEditorPanel");
            EXPECT_EQ (panel->getBounds(), juce::Rectangle<int> (0, 0, 30, 20)) << c.what;
            auto* inner = dynamic_cast<GFXPanel*> (panel->findControl ("inner"));
            ASSERT_NE (inner, nullptr);
            EXPECT_EQ (inner->getFrameHeight(), 5);
            EXPECT_EQ (shownFrame (*inner), 0);
        }
    }
}

TEST_F (SkinSourceTest, AnEmptyNameIsTheBuiltInSkinAndNeverTouchesTheSkinsFolder)
{
    writeUserSkin (skins(), "", validEntries());
    EXPECT_FALSE (SkinSource::isSkinValid (plugin, ""));

    SkinSource builtIn (plugin, {});
    builtIn.openSkinFile();
    EXPECT_FALSE (builtIn.isSkinFileOpen());
    EXPECT_EQ (builtIn.getSkinFile().getParentDirectory(), skins());
}

TEST_F (SkinSourceTest, AUserSkinNeverBorrowsAnEmbeddedImageButTheBuiltInSkinUsesThem)
{
    const auto embedded = makeStrip (2, 6, 6);
    SkinSource::overrideEmbeddedImages (
        [embedded] (const juce::String& name)
        { return name == "strip.png" || name == "back.png" ? embedded : juce::Image(); });

    auto entries = validEntries();
    entries.erase (entries.begin() + 2); // the archive lacks strip.png
    writeUserSkin (skins(), "Skin", entries);

    SkinSource user (plugin, "Skin");
    const auto panel = user.createEditorPanel();
    ASSERT_NE (panel, nullptr);
    auto* inner = dynamic_cast<GFXPanel*> (panel->findControl ("inner"));
    ASSERT_NE (inner, nullptr);
    EXPECT_FALSE (inner->hasImage());
    EXPECT_TRUE (panel->hasImage());

    // Outside a skin build the lookup is the embedded one.
    SkinSource builtIn (plugin, {});
    EXPECT_TRUE (builtIn.getImage ("strip.png").isValid());
    EXPECT_FALSE (builtIn.getImage ("absent.png").isValid());
}

TEST_F (SkinSourceTest, DecodedImagesAreSharedBetweenSourcesAndReopeningKeepsThemReadable)
{
    writeUserSkin (skins(), "Skin", validEntries());
    SkinSource first (plugin, "Skin");
    SkinSource second (plugin, "Skin");
    const auto a = first.getImageFromSkinFile ("strip.png");
    first.openSkinFile(); // reopening while an image of the archive is alive
    const auto b = second.getImageFromSkinFile ("strip.png");
    const auto c = first.getImageFromSkinFile ("back.png");
    ASSERT_TRUE (a.isValid());
    ASSERT_TRUE (c.isValid());
    EXPECT_EQ (a.getPixelData(), b.getPixelData()) << "one decode per image per process";
    EXPECT_EQ (frameOfColour (a.getPixelAt (0, 19)), 3);

    SkinSource::overrideEmbeddedImages ([] (const juce::String&) { return makeStrip (1, 2, 2); });
    SkinSource builtInA (plugin, {}), builtInB (plugin, {});
    EXPECT_EQ (builtInA.getImage ("Knob.png").getPixelData(), builtInB.getImage ("knob.PNG").getPixelData());
}

juce::uint32 crc32Of (const juce::uint8* data, size_t size)
{
    juce::uint32 crc = 0xffffffffu;
    for (size_t i = 0; i < size; ++i)
    {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

/** A PNG whose header claims the given size, with a correct header checksum, so that without the skin
    source's own check a decoder would set out to allocate that canvas. */
juce::MemoryBlock pngClaiming (juce::uint32 width, juce::uint32 height)
{
    auto png = encodePng (makeStrip (1, 4, 4));
    auto* bytes = static_cast<juce::uint8*> (png.getData());
    for (int i = 0; i < 4; ++i)
    {
        bytes[16 + i] = (juce::uint8) (width >> (24 - 8 * i));
        bytes[20 + i] = (juce::uint8) (height >> (24 - 8 * i));
    }
    const auto crc = crc32Of (bytes + 12, 17); // chunk type and its 13 data bytes
    for (int i = 0; i < 4; ++i)
        bytes[29 + i] = (juce::uint8) (crc >> (24 - 8 * i));
    return png;
}

TEST_F (SkinSourceTest, HostileSkinsAreRefusedOrClampedWithoutACrash)
{
    const auto deep = juce::String::repeatedString ("<Panel>", 100000);
    struct Case
    {
        const char* what;
        Entries entries;
        bool panelBuilt;
        bool stripValid;
    };
    auto with = [this] (const juce::String& name, juce::MemoryBlock bytes)
    {
        auto entries = validEntries();
        for (auto& e : entries)
            if (e.first == name)
                e.second = std::move (bytes);
        return entries;
    };
    const Case cases[] = {
        {"an image claiming a multi-gigabyte canvas", with ("strip.png", pngClaiming (100000, 100000)), true,
         false},
        {"an image of 0 x 0", with ("strip.png", pngClaiming (0, 0)), true, false},
        {"an image whose header was only rewritten", with ("strip.png", pngClaiming (4, 4)), true, true},
        {"an image that is text", with ("strip.png", textBlock ("not an image")), true, false},
        {"a deeply nested description", with ("skin.xml", textBlock (skinDocument (deep))), false, true},
        {"a description that is no XML", with ("skin.xml", textBlock ("<<<")), false, true},
        {"a description of another product", with ("skin.xml", textBlock (skinDocument ("", "Other"))), false,
         true},
    };
    for (const auto& c : cases)
    {
        writeUserSkin (skins(), "Hostile", c.entries);
        SkinSource reader (plugin, "Hostile");
        EXPECT_EQ (reader.createEditorPanel() != nullptr, c.panelBuilt) << c.what;
        EXPECT_EQ (reader.getImageFromSkinFile ("strip.png").isValid(), c.stripValid) << c.what;
    }
}

TEST_F (SkinSourceTest, ZipEntriesThatLieAboutTheirSizeReadNoMoreThanTheyHold)
{
    const auto realPng = encodePng (makeStrip (4, 10, 5));
    for (const bool compress : {false, true})
        for (const juce::uint32 claimed : {1u, 0xfffffff0u})
        {
            auto inner = makeZip (
                {{"skin.xml", textBlock (skinDocument (oneKnobPanel))}, {"strip.png", realPng}}, compress);
            // Rewrite every stored uncompressed size of strip.png (local header offset 22, central 24).
            auto* bytes = static_cast<juce::uint8*> (inner.getData());
            for (size_t i = 0; i + 4 <= inner.getSize(); ++i)
            {
                const bool local = std::memcmp (bytes + i, "PK\x03\x04", 4) == 0;
                const bool central = std::memcmp (bytes + i, "PK\x01\x02", 4) == 0;
                if (!local && !central)
                    continue;
                const size_t nameAt = i + (local ? 30 : 46);
                if (nameAt + 9 > inner.getSize() || std::memcmp (bytes + nameAt, "strip.png", 9) != 0)
                    continue;
                auto* size = bytes + i + (local ? 22 : 24);
                for (int b = 0; b < 4; ++b)
                    size[b] = (juce::uint8) (claimed >> (8 * b));
            }
            const auto digest = SkinSource::digestOf (inner);
            const auto outer = makeZip ({{"Liar.md5", textBlock (digest)}, {"Liar.skin", inner}});
            skins().getChildFile ("Liar.zebskin").replaceWithData (outer.getData(), outer.getSize());

            SkinSource reader (plugin, "Liar");
            const auto image = reader.getImageFromSkinFile ("strip.png");
            // Whatever the reader makes of the lie, a valid image is the real one.
            if (image.isValid())
            {
                EXPECT_EQ (image.getBounds(), juce::Rectangle<int> (0, 0, 10, 20));
            }
            EXPECT_NE (reader.createEditorPanel(), nullptr)
                << "compress " << compress << " claimed " << claimed;
        }
}

TEST (ImageHeader, ReadsTheClaimedSizeOfEachFormatAndRefusesEmptyOrHugeCanvases)
{
    const auto png = encodePng (makeStrip (3, 7, 5));
    juce::MemoryBlock jpeg;
    {
        juce::MemoryOutputStream out (jpeg, false);
        juce::JPEGImageFormat().writeImageToStream (makeStrip (2, 9, 4), out);
    }
    const juce::uint8 gif[] = {'G', 'I', 'F', '8', '9', 'a', 0x10, 0x01, 0x20, 0x00};
    struct SizeCase
    {
        const char* what;
        const void* data;
        size_t size;
        ImageHeader::Size expected; // width and height count only when known
    };
    for (const auto& c : {SizeCase{"png", png.getData(), png.getSize(), {true, 7, 15}},
                          SizeCase{"jpeg", jpeg.getData(), jpeg.getSize(), {true, 9, 8}},
                          SizeCase{"gif", gif, sizeof (gif), {true, 0x110, 0x20}},
                          SizeCase{"cut short", png.getData(), 20, {false, 0, 0}},
                          SizeCase{"a format JUCE does not decode", "BM..........", 12, {false, 0, 0}},
                          SizeCase{"nothing", nullptr, 0, {false, 0, 0}}})
    {
        const auto size = ImageHeader::readSize (c.data, c.size);
        EXPECT_EQ (size.known, c.expected.known) << c.what;
        if (c.expected.known)
        {
            EXPECT_EQ (size.width, c.expected.width) << c.what;
            EXPECT_EQ (size.height, c.expected.height) << c.what;
        }
    }

    struct Case
    {
        int width, height;
        bool acceptable;
    };
    for (const auto& c : {Case{1, 1, true}, Case{0, 10, false}, Case{10, 0, false}, Case{16384, 1024, true},
                          Case{16385, 1, false}, Case{4096, 4097, false}})
        EXPECT_EQ (ImageHeader::isAcceptable ({true, c.width, c.height}, 16384, 4096 * 4096), c.acceptable)
            << c.width << " x " << c.height;
    EXPECT_FALSE (ImageHeader::isAcceptable ({false, 4, 4}, 16384, 4096 * 4096));
}
} // namespace

namespace
{
/** Holds the parameter manager's write lock on a thread of its own for a while. */
class Writer : public juce::Thread
{
public:
    Writer (const juce::ReadWriteLock& l, int ms)
        : juce::Thread ("writer")
        , lock (l)
        , holdMs (ms)
    {
    }
    void run() override
    {
        const juce::ScopedWriteLock hold (lock);
        held.signal();
        juce::Thread::sleep (holdMs);
    }

    const juce::ReadWriteLock& lock;
    int holdMs;
    juce::WaitableEvent held;
};

TEST (SkinSourceLookup, NameLookupsWaitForAShortWriterAndGiveUpOnAStuckOne)
{
    SkinTest::Plugin plugin;
    SkinSource source (plugin, {});
    struct Case
    {
        int holdMs;
        bool found;
    };
    for (const auto& c : {Case{60, true}, Case{(int) SkinSource::lockPatienceMilliseconds + 300, false}})
    {
        Writer writer (plugin.getParameterManager().getLock(), c.holdMs);
        writer.startThread();
        ASSERT_TRUE (writer.held.wait (5000));
        const auto start = juce::Time::getMillisecondCounter();
        EXPECT_EQ (source.findParameter ("Cutoff") != nullptr, c.found) << c.holdMs;
        EXPECT_LT (juce::Time::getMillisecondCounter() - start, SkinSource::lockPatienceMilliseconds + 500)
            << "the wait is bounded";
        writer.stopThread (10000);
    }
    EXPECT_EQ (source.findParameter ("Absent"), nullptr);
    EXPECT_EQ (source.findParameter ("cutoff"), nullptr) << "names compare with case counting";
}
} // namespace
