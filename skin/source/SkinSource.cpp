#include "skin/source/SkinSource.h"

#include "framework/BasePlugin.h"
#include "framework/BoundedFileReader.h"
#include "framework/ResourceLoader.h"
#include "framework/XmlHelpers.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/GifReader.h"
#include "skin/source/ImageHeader.h"
#include "skin/source/JpegReader.h"
#include "skin/source/PngReader.h"
#include "vst/StrictUtf8.h"

#include <juce_cryptography/juce_cryptography.h>

namespace
{
/** The whole stream up to its end when it holds at most limit bytes; false (and the block emptied) when it
    holds more. The entry's declared length is not trusted: a zip entry may lie about its size. */
bool readBounded (juce::InputStream& input, juce::int64 limit, juce::MemoryBlock& out)
{
    out.reset();
    juce::MemoryOutputStream sink (out, false);
    char buffer[65536];
    juce::int64 total = 0;

    for (;;)
    {
        const int wanted = (int) juce::jmin ((juce::int64) sizeof (buffer), limit + 1 - total);
        const int got = input.read (buffer, wanted);
        if (got <= 0)
            break;
        total += got;
        if (total > limit)
        {
            sink.flush();
            out.reset();
            return false;
        }
        sink.write (buffer, (size_t) got);
    }

    sink.flush();
    return true;
}

/** The bytes of the archive entry of exactly that name, within the limit; false when absent or too long. */
bool readEntry (juce::ZipFile& archive, const juce::String& name, juce::int64 limit, juce::MemoryBlock& out)
{
    const int index = archive.getIndexOfFileName (name, false);
    if (index < 0)
        return false;

    const std::unique_ptr<juce::InputStream> stream (archive.createStreamForEntry (index));
    return stream != nullptr && readBounded (*stream, limit, out);
}

/** Decodes a user skin's image bytes, chosen by their signature, when their header claims a size the skin
    may have. Each format goes through our own decoder: JUCE's loaders carry on after errors of the
    libraries below them or trust what a damaged file says, and crash on it. Anything that is not PNG,
    JPEG or GIF is refused. */
juce::Image decodeChecked (const juce::MemoryBlock& bytes)
{
    using Decoder = juce::Image (*) (const void*, size_t, int, juce::int64);
    const auto* data = bytes.getData();
    const auto numBytes = bytes.getSize();
    const Decoder decode = PngReader::hasSignature (data, numBytes)    ? PngReader::decode
                           : JpegReader::hasSignature (data, numBytes) ? JpegReader::decode
                           : GifReader::hasSignature (data, numBytes)  ? GifReader::decode
                                                                       : nullptr;
    const auto size = ImageHeader::readSize (data, numBytes);
    if (decode == nullptr ||
        !ImageHeader::isAcceptable (size, SkinSource::maxImageSide, SkinSource::maxImagePixels))
        return {};

    auto image = decode (data, numBytes, SkinSource::maxImageSide, SkinSource::maxImagePixels);
    // A decoder that disagrees with the header it was checked against gets no say either; so a GIF whose
    // first frame leaves part of its screen uncovered is refused too.
    if (!image.isValid() || image.getWidth() != size.width || image.getHeight() != size.height)
        return {};
    return image;
}

/** The process-wide cache: one decode per image while any control holds it. */
juce::Image cachedImage (const juce::String& key, const std::function<juce::Image()>& decode)
{
    const auto hash = key.hashCode64();
    auto image = juce::ImageCache::getFromHashCode (hash);
    if (!image.isValid())
    {
        image = decode();
        if (image.isValid())
            juce::ImageCache::addImageToCache (image, hash);
    }
    return image;
}

std::function<juce::Image (const juce::String&)>& embeddedImageOverride()
{
    static std::function<juce::Image (const juce::String&)> lookup;
    return lookup;
}

// Part of the embedded images' cache keys, so images of an earlier override are never served.
int embeddedImageGeneration = 0;

// The patience is long enough for a late initialisation or a preset load to finish, short enough that
// a writer that is itself stuck cannot freeze the editor.
constexpr int lockPollMilliseconds = 2;
} // namespace

SkinSource::SkinSource (BasePlugin& processorToUse, const juce::String& nameOfSkin)
    : processor (processorToUse)
    , skinName (nameOfSkin)
{
}

SkinSource::~SkinSource()
{
    closeSkinFile();
}

void SkinSource::closeSkinFile()
{
    // The inner archive reads the entry's bytes: it goes first.
    innerArchive.reset();
    skinEntryBytes.reset();
    skinDigest.clear();
}

//==============================================================================
std::unique_ptr<GFXPanel> SkinSource::createEditorPanel()
{
    loadingMode = skinName.isEmpty() ? loadingBuiltInSkin : loadingUserSkin;
    const auto text = readDescription();
    auto panel = text.isEmpty() ? nullptr : buildFromText (text);
    loadingMode = idle;
    if (pixelBudgetExhausted)
        return nullptr;
    return panel;
}

juce::String SkinSource::readDescription()
{
    if (skinName.isEmpty())
        return getResourceAsString (skinDescriptionName);

    openSkinFile();
    juce::MemoryBlock bytes;
    if (innerArchive == nullptr ||
        !readEntry (*innerArchive, skinDescriptionName, maxDescriptionBytes, bytes))
        return {};

    // Ill-formed UTF-8 reads as no description: JUCE's own conversion writes past its buffer on it.
    juce::String text;
    StrictUtf8::toString (bytes.getData(), bytes.getSize(), text);
    return text;
}

std::unique_ptr<GFXPanel> SkinSource::buildFromText (const juce::String& text)
{
    const auto root = XmlHelpers::parse (text);
    return root != nullptr ? createMainPanel (*root) : nullptr;
}

std::unique_ptr<GFXPanel> SkinSource::createMainPanel (const juce::XmlElement& root)
{
    if (!processor.isOwnXmlElement (&root, rootTag))
        return nullptr;

    for (const auto* child : root.getChildIterator())
    {
        if (XmlHelpers::tagIs (*child, "Panel") &&
            child->getStringAttribute ("name").equalsIgnoreCase ("MainPanel"))
        {
            auto panel = std::make_unique<GFXPanel> ("MainEditorPanel");
            panel->loadFromXml (*child, *this);
            return panel;
        }
    }
    return nullptr;
}

//==============================================================================
juce::File SkinSource::getSkinsDirectory (const BasePlugin& processorToAsk)
{
    return processorToAsk.getCommonDataDirectory().getChildFile ("Skins");
}

juce::File SkinSource::getSkinFile() const
{
    return getSkinsDirectory (processor).getChildFile (skinName + skinFileExtension);
}

void SkinSource::openSkinFile()
{
    closeSkinFile();

    if (skinName.isEmpty())
        return;

    // Read whole through the bounded reader rather than opened as a file: a FIFO in its place would
    // block the editor for good and a device would be read without end.
    juce::MemoryBlock archiveBytes;
    if (!BoundedFileReader::readBytes (getSkinFile(), archiveBytes, (size_t) maxSkinFileBytes))
        return;

    juce::ZipFile outerArchive (new juce::MemoryInputStream (archiveBytes, false), true);
    juce::MemoryBlock digestBytes;
    if (!readEntry (outerArchive, skinName + ".md5", 1024, digestBytes))
        return;

    // An empty entry holds no archive, so no skin either.
    if (!readEntry (outerArchive, skinName + ".skin", maxSkinEntryBytes, skinEntryBytes) ||
        skinEntryBytes.isEmpty())
    {
        skinEntryBytes.reset();
        return;
    }

    // Through the strict reader: JUCE's own conversion writes past its buffer on ill-formed UTF-8.
    juce::String expected;
    const auto actual = digestOf (skinEntryBytes);
    if (!StrictUtf8::toString (digestBytes.getData(), digestBytes.getSize(), expected) ||
        !expected.equalsIgnoreCase (actual))
    {
        skinEntryBytes.reset();
        return;
    }

    skinDigest = actual;
    innerArchive = std::make_unique<juce::ZipFile> (
        new juce::MemoryInputStream (skinEntryBytes.getData(), skinEntryBytes.getSize(), false), true);
}

void SkinSource::overrideEmbeddedImages (std::function<juce::Image (const juce::String&)> lookup)
{
    embeddedImageOverride() = std::move (lookup);
    ++embeddedImageGeneration;
}

juce::String SkinSource::digestOf (const juce::MemoryBlock& bytes)
{
    // An empty block has no data pointer, and MD5 would copy from it.
    static const char nothing = 0;
    return bytes.isEmpty() ? juce::MD5 (&nothing, 0).toHexString() : juce::MD5 (bytes).toHexString();
}

bool SkinSource::isSkinValid (BasePlugin& processorToUse, const juce::String& name)
{
    if (name.isEmpty())
        return false;

    SkinSource source (processorToUse, name);
    source.openSkinFile();
    return source.isSkinFileOpen();
}

//==============================================================================
juce::Image SkinSource::getImage (const juce::String& fileName)
{
    if (loadingMode == loadingUserSkin)
        return getImageFromSkinFile (fileName);

    if (fileName.isEmpty())
        return {};

    return cachedImage ("embedded:" + juce::String (embeddedImageGeneration) + ":" + fileName.toLowerCase(),
                        [&fileName]
                        {
                            const auto& lookup = embeddedImageOverride();
                            return lookup ? lookup (fileName) : getResourceAsImage (fileName);
                        });
}

juce::Image SkinSource::getImageFromSkinFile (const juce::String& fileName)
{
    if (innerArchive == nullptr)
        openSkinFile();
    if (innerArchive == nullptr || fileName.isEmpty())
        return {};

    const auto key = "skin:" + skinDigest + ":" + fileName;
    if (const auto known = userImages.find (key); known != userImages.end())
        return known->second;

    const auto hash = key.hashCode64();
    auto image = juce::ImageCache::getFromHashCode (hash);
    if (!image.isValid())
        image = decodeSkinImage (fileName, hash);
    // Decoded for another source already, it counts all the same: a skin is refused or not whatever the
    // cache holds.
    else if (!spendPixels ((juce::int64) image.getWidth() * image.getHeight()))
        image = {};
    userImages.emplace (key, image);
    return image;
}

juce::Image SkinSource::decodeSkinImage (const juce::String& fileName, juce::int64 cacheHash)
{
    juce::MemoryBlock bytes;
    if (pixelBudgetExhausted || !readEntry (*innerArchive, fileName, maxImageBytes, bytes))
        return {};

    // A header beyond the limits is refused without any work, so only the others take from the budget.
    const auto size = ImageHeader::readSize (bytes.getData(), bytes.getSize());
    if (!ImageHeader::isAcceptable (size, maxImageSide, maxImagePixels) ||
        !spendPixels ((juce::int64) size.width * size.height))
        return {};

    auto image = decodeChecked (bytes);
    if (image.isValid())
        juce::ImageCache::addImageToCache (image, cacheHash);
    return image;
}

bool SkinSource::spendPixels (juce::int64 pixels)
{
    if (pixelBudgetExhausted || pixels > maxSkinPixels - pixelsSpent)
    {
        pixelBudgetExhausted = true;
        return false;
    }
    pixelsSpent += pixels;
    return true;
}

//==============================================================================
Parameter* SkinSource::findParameter (const juce::String& displayName) const
{
    auto& manager = processor.getParameterManager();
    const auto& lock = manager.getLock();
    const auto deadline = juce::Time::getMillisecondCounter() + lockPatienceMilliseconds;

    for (;;)
    {
        if (lock.tryEnterRead())
        {
            auto* found = manager.getParameter (manager.getParameterIdByName (displayName));
            lock.exitRead();
            return found;
        }

        if (juce::Time::getMillisecondCounter() >= deadline)
            return nullptr;

        juce::Thread::sleep (lockPollMilliseconds);
    }
}

int SkinSource::findEventId (const juce::String& eventName) const
{
    return processor.getEventsMap().getEventId (eventName);
}

juce::String SkinSource::getEventName (int eventId) const
{
    return processor.getEventsMap().getEventName (eventId);
}
