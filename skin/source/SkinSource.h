#pragma once

#include <functional>
#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>
#include <map>
#include <memory>

class BasePlugin;
class GFXPanel;
class Parameter;

/** Finds a skin, reads its description and serves the images its controls ask for while the panel is
    being built.

    The built-in skin (empty name) is the embedded "skin.xml" with the embedded images. A user skin is
    "<name>.zebskin" in the skins folder: a zip archive holding "<name>.md5" (the hexadecimal MD5 digest of
    the ".skin" entry, compared ignoring case, whole text) and "<name>.skin", a zip archive of the skin's
    "skin.xml" and images. A folder of that name is no skin.

    A user skin is outside input: every entry is read with a byte limit (an entry that claims one size and
    holds more is refused), every image header is checked before decoding (no 0 x 0 image, no
    multi-gigabyte canvas), images are decoded by our own PNG, JPEG and GIF readers (JUCE's decoders do not
    survive damaged files), the images of one skin share a budget of pixels, an empty ".skin" entry is no
    skin, and the description is parsed by the project's bounded XML reader.

    Decoded images are shared process-wide, keyed by the embedded name or by the skin's digest and entry
    name: thirty instances of the plug-in hold one copy of each film strip. Never draw into them.

    Lives on the stack of the editor for one skin application, one validity test or one preview; the panel
    it returns outlives it. Once opened, the inner archive stays open for the source's whole life. Message
    thread only. */
class SkinSource
{
public:
    /** The user-skin extension, the skin description's name (the embedded resource and the entry of a
        user skin alike) and its root tag. */
    static constexpr const char* skinFileExtension = ".zebskin";
    static constexpr const char* skinDescriptionName = "skin.xml";
    static constexpr const char* rootTag = "PluginEditor";

    /** Limits on what a user skin makes us read into memory, in bytes and pixels. The archive file may
        hold the largest entry stored uncompressed, with room for the archive's own records. */
    static constexpr juce::int64 maxSkinEntryBytes = 64 * 1024 * 1024;
    static constexpr juce::int64 maxSkinFileBytes = maxSkinEntryBytes + 1024 * 1024;
    static constexpr juce::int64 maxDescriptionBytes = 4 * 1024 * 1024;
    static constexpr juce::int64 maxImageBytes = 32 * 1024 * 1024;
    static constexpr int maxImageSide = 16384;
    static constexpr juce::int64 maxImagePixels = 16 * 1024 * 1024;
    /** The pixels all images of one skin may claim together (256 MB of ARGB pixels): far above any real
        skin. Each image counts once, when it is first asked for, whether it then decodes or not (a
        decode that fails has cost its work all the same). Past it the source serves no more images and
        builds no panel: the skin is refused like a broken one. */
    static constexpr juce::int64 maxSkinPixels = 4 * maxImagePixels;

    /** How long a name lookup waits for the parameter manager's write lock to be released before it gives
        up (the control is then built unconnected), in milliseconds. */
    static constexpr juce::uint32 lockPatienceMilliseconds = 2000;

    /** What the source is doing; image lookups read it. */
    enum LoadingMode
    {
        idle = 0,
        loadingBuiltInSkin = 1,
        loadingUserSkin = 2
    };

    /** The processor gives the product name for the root check, the parameters and the events the controls
        bind to, and the skins folder. An empty name is the built-in skin. Nothing is opened yet. */
    SkinSource (BasePlugin& processor, const juce::String& skinName);
    ~SkinSource();

    /** The whole panel of the skin, or null when the skin cannot be read (no file, a folder in its place, a
        missing entry, a checksum mismatch, text that does not parse, a wrong root, no main panel). */
    std::unique_ptr<GFXPanel> createEditorPanel();

    /** The root check ("PluginEditor" with this product's "application", both ignoring case) and the first
        "Panel" child named "MainPanel" (ignoring case), built as the panel "MainEditorPanel"; else null. */
    std::unique_ptr<GFXPanel> createMainPanel (const juce::XmlElement& root);

    /** Reads the user skin's file whole (a regular file of at most maxSkinFileBytes: a FIFO, a device or
        a folder of that name is unreadable) and, when its checksum matches, opens its inner archive;
        reopening first closes what was open. Reports nothing: see isSkinFileOpen. */
    void openSkinFile();
    bool isSkinFileOpen() const noexcept { return innerArchive != nullptr; }

    /** While a user skin is being built, from its archive only (a missing image is not looked up among the
        embedded ones); otherwise the embedded image of that file name. Null image when absent or refused. */
    juce::Image getImage (const juce::String& fileName);

    /** An image of the user skin's inner archive (opening it first when needed); null image when absent,
        not a PNG, JPEG or GIF, damaged, beyond the size limits or beyond the skin's budget of pixels. Each
        name is read and decoded once in the source's life: a second lookup gives what the first gave. */
    juce::Image getImageFromSkinFile (const juce::String& fileName);

    /** Whether a user skin of that name exists and passes its checksum; an empty name is false without
        touching the file system. */
    static bool isSkinValid (BasePlugin& processor, const juce::String& skinName);

    /** The all-users application-data folder of the product / "Skins"; it follows the processor's folder
        seam (BasePlugin::overrideApplicationDataFolders), so tests never reach the real one. */
    static juce::File getSkinsDirectory (const BasePlugin& processor);
    juce::File getSkinFile() const;

    //==============================================================================
    // What controls call while they read their elements

    /** The parameter of that display name (case counting), or null. Taken under the parameter manager's
        read lock with bounded retries: see ParameterManager::getLock. */
    Parameter* findParameter (const juce::String& displayName) const;

    /** The event's identifier, -1 when the events map lacks the name. */
    int findEventId (const juce::String& eventName) const;
    /** The event's display name ("Press note c"). */
    juce::String getEventName (int eventId) const;

    /** The keyboard state that an on-screen keyboard of the skin plays into and shows: the editor passes
        the processor's before it builds the panel. Without one, "MidiKeyboard" elements are skipped. Not
        owned; it outlives the panel (it lives as long as the processor). */
    void setKeyboardState (juce::MidiKeyboardState* state) noexcept { keyboardState = state; }
    juce::MidiKeyboardState* getKeyboardState() const noexcept { return keyboardState; }

    BasePlugin& getProcessor() const noexcept { return processor; }
    const juce::String& getSkinName() const noexcept { return skinName; }
    int getLoadingMode() const noexcept { return loadingMode; }

    /** Test seam: a function that stands in for the embedded images (an empty function restores them).
        Images looked up before the change are not served after it. */
    static void overrideEmbeddedImages (std::function<juce::Image (const juce::String& fileName)> lookup);

    /** The MD5 digest that a ".md5" entry holds for these ".skin" bytes (lower-case hexadecimal): what a
        skin author's tool writes. */
    static juce::String digestOf (const juce::MemoryBlock& skinEntryBytes);

private:
    /** The description text of the skin being built; empty when it cannot be read. */
    juce::String readDescription();
    std::unique_ptr<GFXPanel> buildFromText (const juce::String& text);
    void closeSkinFile();
    /** The image of that entry decoded, within the budget of pixels; null when refused. */
    juce::Image decodeSkinImage (const juce::String& fileName, juce::int64 cacheHash);
    /** Takes that many pixels from the budget; false, and no more images, when they are not left. */
    bool spendPixels (juce::int64 pixels);

    BasePlugin& processor;
    juce::String skinName;
    int loadingMode = idle;
    juce::MidiKeyboardState* keyboardState = nullptr;

    // Declared in reverse order of destruction: the inner archive reads skinEntryBytes through its
    // stream, so it goes first.
    juce::MemoryBlock skinEntryBytes;
    juce::String skinDigest; // of skinEntryBytes; part of the image cache keys
    std::unique_ptr<juce::ZipFile> innerArchive;

    // Every user-skin image asked for, by its cache key (which names the skin's digest): a refused one as a
    // null image, so that a thousand controls naming one broken image cost one attempt.
    std::map<juce::String, juce::Image> userImages;
    juce::int64 pixelsSpent = 0;
    bool pixelBudgetExhausted = false;

    JUCE_DECLARE_NON_COPYABLE (SkinSource)
};
