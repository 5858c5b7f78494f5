#include "framework/XmlHelpers.h"

#include "framework/BoundedFileReader.h"
#include "vst/BoundedXml.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace XmlHelpers
{
bool tagIs (const juce::XmlElement& element, juce::StringRef tag)
{
    return element.getTagName().equalsIgnoreCase (tag);
}

const juce::XmlElement* findChild (const juce::XmlElement& parent, juce::StringRef tag)
{
    for (auto* child : parent.getChildIterator())
        if (tagIs (*child, tag))
            return child;

    return nullptr;
}

bool attributeIs (const juce::XmlElement& element, juce::StringRef attribute, juce::StringRef value)
{
    return element.hasAttribute (attribute) &&
           element.getStringAttribute (attribute).equalsIgnoreCase (value);
}

bool stateIsOn (const juce::XmlElement& element)
{
    return element.getStringAttribute ("state").equalsIgnoreCase ("on");
}

double getFiniteDouble (const juce::XmlElement& element, juce::StringRef attribute, double fallback)
{
    if (!element.hasAttribute (attribute))
        return fallback;

    const auto text = element.getStringAttribute (attribute).trim();
    if (text.isEmpty() || !text.containsAnyOf ("0123456789"))
        return fallback;

    const double value = text.getDoubleValue();
    return std::isfinite (value) ? value : fallback;
}

juce::File getAbsoluteFile (const juce::XmlElement& element, juce::StringRef attribute)
{
    const auto path = element.getStringAttribute (attribute);
    return juce::File::isAbsolutePath (path) ? juce::File (path) : juce::File();
}

std::unique_ptr<juce::XmlElement> parse (const juce::String& text)
{
    return BoundedXml::parse (text);
}

std::unique_ptr<juce::XmlElement> parse (const void* data, size_t size)
{
    return BoundedXml::parse (data, size);
}

std::unique_ptr<juce::XmlElement> parse (const juce::File& file)
{
    juce::MemoryBlock bytes;

    if (!BoundedFileReader::readBytes (file, bytes, BoundedXml::maxBytes))
        return nullptr;

    return BoundedXml::parse (bytes.getData(), bytes.getSize());
}

namespace
{
// As many links as the kernel itself follows in one path before it calls the chain a loop.
constexpr int maxLinkHops = 40;

/** The file a write to the given path replaces: the path itself, or for a symbolic link the end of its
    chain of links, so that a link kept in a dotfiles repository stays a link and its target gets the text.
    A link naming nothing yet names the file to create, when that file's folder exists (as a shell's
    redirection does). None when the chain loops or is too long, or when something other than a regular
    file stands at the place: a folder, a FIFO or a device (/dev/null) is never replaced by a file. */
std::optional<juce::File> findWriteTarget (const juce::File& file)
{
    std::string path = file.getFullPathName().toStdString();
    bool followed = false;

    for (int hops = 0;; ++hops)
    {
        struct stat info
        {
        };
        if (::lstat (path.c_str(), &info) != 0)
        {
            if (errno != ENOENT)
                return std::nullopt;
            break;
        }

        if (!S_ISLNK (info.st_mode))
        {
            if (!S_ISREG (info.st_mode))
                return std::nullopt;
            break;
        }

        if (hops == maxLinkHops)
            return std::nullopt;

        char target[PATH_MAX];
        const auto length = ::readlink (path.c_str(), target, sizeof (target));
        if (length <= 0 || (size_t) length == sizeof (target))
            return std::nullopt;

        // A relative target counts from the link's own folder.
        const std::string text (target, (size_t) length);
        path = text.front() == '/' ? text : path.substr (0, path.rfind ('/') + 1) + text;
        followed = true;
    }

    if (!followed)
        return file;

    // The target's folder is resolved by the system: juce::File would fold a ".." by name, which is not
    // where the kernel goes when a folder on the way is itself a link.
    const auto slash = path.rfind ('/');
    const auto name = path.substr (slash + 1);
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;

    const std::unique_ptr<char, decltype (&std::free)> folder (
        ::realpath (slash == 0 ? "/" : path.substr (0, slash).c_str(), nullptr), &std::free);
    if (folder == nullptr)
        return std::nullopt;

    // A path that is not UTF-8 has no String naming it: one with replacement characters is another file.
    const auto resolved = std::string (folder.get()) + (folder.get()[1] == 0 ? "" : "/") + name;
    const auto text = juce::String::fromUTF8 (resolved.c_str(), (int) resolved.size());
    if (text.toStdString() != resolved)
        return std::nullopt;

    return juce::File (text);
}

/** Writes through a temporary file beside the target, then renames it over the target. */
bool writeReplacing (const juce::File& file, const std::function<void (juce::OutputStream&)>& write)
{
    const auto target = findWriteTarget (file);
    if (!target)
        return false;

    juce::TemporaryFile temporary (*target);
    {
        juce::FileOutputStream out (temporary.getFile());
        if (!out.openedOk())
            return false;

        write (out);
        out.flush();
        if (out.getStatus().failed())
            return false;
    }
    return temporary.overwriteTargetFileWithTemporary();
}
} // namespace

bool writeToFile (const juce::XmlElement& element, const juce::File& file)
{
    // The default format writes the declaration with encoding "UTF-8".
    return writeReplacing (file, [&element] (juce::OutputStream& out)
                           { element.writeTo (out, juce::XmlElement::TextFormat()); });
}

bool writeToFile (const juce::MemoryBlock& bytes, const juce::File& file)
{
    return writeReplacing (file, [&bytes] (juce::OutputStream& out)
                           { out.write (bytes.getData(), bytes.getSize()); });
}

size_t writtenAttributeBytes (const juce::String& text) noexcept
{
    // The characters JUCE's writer passes through as they are; it makes a reference of every other one.
    static constexpr std::string_view plain = " .,;:-()_+=?!$#@[]/|*%~{}'\\";
    const auto isPlain = [] (juce::uint32 c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               (c < 128 && c != 0 && plain.find ((char) c) != plain.npos);
    };

    size_t bytes = 0;
    for (auto p = text.getCharPointer(); !p.isEmpty();)
    {
        const auto c = (juce::uint32) p.getAndAdvance();

        if (isPlain (c))
            bytes += 1;
        else if (c == '&')
            bytes += 5; // &amp;
        else if (c == '"')
            bytes += 6; // &quot;
        else if (c == '<' || c == '>')
            bytes += 4; // &lt; &gt;
        else
        {
            size_t digits = 1;
            for (auto n = c; n >= 10; n /= 10)
                ++digits;
            bytes += 3 + digits; // &#N;
        }
    }
    return bytes;
}

juce::String toSingleLine (const juce::XmlElement& element)
{
    return element.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader());
}
} // namespace XmlHelpers
