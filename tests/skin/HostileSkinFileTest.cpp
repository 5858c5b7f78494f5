#include "SkinTestSupport.h"
#include "skin/panel/GFXPanel.h"
#include "skin/source/SkinSource.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

// User skins are files anybody may drop into the skins folder: what stands there under a skin's name
// must neither stall the editor nor make it read without end, and its text must never reach a JUCE
// string unchecked.
namespace
{
using namespace SkinTest;

const juce::String plainPanel = "<gfx resource='back.png'/>";

Entries entriesWith (const juce::MemoryBlock& description)
{
    return {{"skin.xml", description}, {"back.png", encodePng (makeStrip (1, 30, 20))}};
}

juce::MemoryBlock bytesOf (const std::string& text)
{
    return juce::MemoryBlock (text.data(), text.size());
}

class HostileSkinFile : public SourceTest
{
protected:
    juce::File skinFile (const juce::String& name) const
    {
        return plugin.getSkinsFolder().getChildFile (name + SkinSource::skinFileExtension);
    }

    /** Whether the skin is valid, asked on a thread of its own; nothing when the answer took longer than
        the patience (a reader blocked on a FIFO is then released by opening its other end). */
    std::optional<bool> validWithin (const juce::String& name, int patienceMs)
    {
        std::atomic<int> answer{-1};
        juce::Thread::launch ([&] { answer = SkinSource::isSkinValid (plugin, name) ? 1 : 0; });
        const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) patienceMs;
        while (answer < 0 && juce::Time::getMillisecondCounter() < deadline)
            juce::Thread::sleep (5);
        if (answer >= 0)
            return answer == 1;

        const int writer = ::open (skinFile (name).getFullPathName().toRawUTF8(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close (writer);
        while (answer < 0)
            juce::Thread::sleep (5);
        return std::nullopt;
    }
};

TEST_F (HostileSkinFile, OnlyARegularFileOfBoundedSizeIsReadAsASkin)
{
    enum Form
    {
        archive,
        linkToArchive,
        fifo,
        linkToDevice,
        folder,
        oversized
    };
    const struct
    {
        const char* what;
        Form form;
        bool valid;
    } cases[] = {
        {"an archive", archive, true}, {"a link to an archive", linkToArchive, true},
        {"a FIFO", fifo, false},       {"a link to /dev/zero", linkToDevice, false},
        {"a folder", folder, false},   {"a file beyond the size limit", oversized, false},
    };
    for (const auto& c : cases)
    {
        const auto folderOfSkins = plugin.getSkinsFolder();
        folderOfSkins.deleteRecursively();
        folderOfSkins.createDirectory();
        const auto file = skinFile ("Skin");
        const auto path = file.getFullPathName().toStdString();
        switch (c.form)
        {
            case archive:
                writeUserSkin (folderOfSkins, "Skin", entriesWith (textBlock (skinDocument (plainPanel))));
                break;
            case linkToArchive:
            {
                const auto elsewhere = folderOfSkins.getChildFile ("stored");
                elsewhere.createDirectory();
                writeUserSkin (elsewhere, "Skin", entriesWith (textBlock (skinDocument (plainPanel))));
                ASSERT_TRUE (elsewhere.getChildFile ("Skin.zebskin").createSymbolicLink (file, true));
                break;
            }
            case fifo: ASSERT_EQ (::mkfifo (path.c_str(), 0600), 0); break;
            case linkToDevice: ASSERT_TRUE (juce::File ("/dev/zero").createSymbolicLink (file, true)); break;
            case folder: ASSERT_TRUE (file.createDirectory()); break;
            case oversized:
            {
                // Whole and valid, but padded by a stored entry past the limit of the file.
                const auto skin = makeZip (entriesWith (textBlock (skinDocument (plainPanel))));
                juce::MemoryBlock padding ((size_t) SkinSource::maxSkinFileBytes, true);
                const auto zip = makeZip ({{"Skin.md5", textBlock (SkinSource::digestOf (skin))},
                                           {"Skin.skin", skin},
                                           {"padding", padding}},
                                          false);
                ASSERT_TRUE (file.replaceWithData (zip.getData(), zip.getSize()));
                break;
            }
        }

        const auto valid = validWithin ("Skin", 5000);
        ASSERT_TRUE (valid.has_value()) << c.what << ": the reader stalled";
        EXPECT_EQ (*valid, c.valid) << c.what;

        SkinSource reader (plugin, "Skin");
        EXPECT_EQ (reader.createEditorPanel() != nullptr, c.valid) << c.what;
    }
}

TEST_F (HostileSkinFile, IllFormedUtf8InTheChecksumOrTheDescriptionIsRefused)
{
    const struct
    {
        const char* what;
        std::string bytes;
        bool wellFormed;
    } forms[] = {
        {"two-byte letter", "\xC3\xA9", true},         {"overlong NUL", "\xC0\x80", false},
        {"overlong slash", "\xE0\x80\xAF", false},     {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false}, {"truncated", "\xE2\x82", false},
    };
    for (const auto& f : forms)
    {
        // In a comment of the description, where it changes nothing but the bytes' form.
        const auto description = skinDocument (plainPanel).toStdString() + "<!-- " + f.bytes + " -->";
        const auto entries = entriesWith (bytesOf (description));
        writeUserSkin (plugin.getSkinsFolder(), "Described", entries);
        {
            SkinSource reader (plugin, "Described");
            EXPECT_EQ (reader.createEditorPanel() != nullptr, f.wellFormed) << f.what;
        }

        // After the digest: the whole text is compared, so no addition passes, but no form of it may be
        // read through JUCE's own conversion.
        const auto skin = makeZip (entriesWith (textBlock (skinDocument (plainPanel))));
        const auto md5 = bytesOf (SkinSource::digestOf (skin).toStdString() + f.bytes);
        const auto zip = makeZip ({{"Summed.md5", md5}, {"Summed.skin", skin}});
        ASSERT_TRUE (skinFile ("Summed").replaceWithData (zip.getData(), zip.getSize()));
        EXPECT_FALSE (SkinSource::isSkinValid (plugin, "Summed")) << f.what;
    }
}
} // namespace
