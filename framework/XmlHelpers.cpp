#include "framework/XmlHelpers.h"

#include "framework/BoundedFileReader.h"
#include "vst/BoundedXml.h"
#include "vst/StrictUtf8.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

// The longest name a folder takes, in bytes.
constexpr size_t maxNameBytes = NAME_MAX;

/** A file descriptor, closed with the object. */
class Descriptor
{
public:
    explicit Descriptor (int descriptor)
        : fd (descriptor)
    {
    }
    ~Descriptor() { close(); }
    Descriptor (Descriptor&& other) noexcept
        : fd (std::exchange (other.fd, -1))
    {
    }
    Descriptor (const Descriptor&) = delete;
    Descriptor& operator= (const Descriptor&) = delete;
    Descriptor& operator= (Descriptor&&) = delete;

    int get() const noexcept { return fd; }

    /** False when the system reports a failure, such as a write it could not finish. */
    bool close()
    {
        const int closing = std::exchange (fd, -1);
        return closing < 0 || ::close (closing) == 0;
    }

private:
    int fd;
};

/** Where a save lands: the name in a folder the system opened, so that every later step happens in that
    folder whatever its path runs through. */
struct WriteTarget
{
    Descriptor folder;
    std::string name;
};

/** The rule by which the system refuses to follow links planted in a shared folder (fs.protected_symlinks):
    in a folder that is sticky and writable by all, like the temporary folder, a link is followed only when
    it belongs to the user or to the folder's owner. Applied here whatever the system's setting, because
    these links are read and followed by this code, not by the system. */
bool mayFollow (const struct stat& link, const struct stat& folder)
{
    constexpr auto shared = S_ISVTX | S_IWOTH;
    return (folder.st_mode & shared) != shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

/** The place a write to the given path replaces: the path itself, or for a symbolic link the end of its
    chain of links, so that a link kept in a dotfiles repository stays a link and its target gets the text.
    A link naming nothing yet names the file to create, when that file's folder exists (as a shell's
    redirection does). None when the chain loops or is too long, runs through a link the system would
    not follow or a link text that is not UTF-8, or when something other than a regular file stands at the
    place: a folder, a FIFO or a device (/dev/null) is never replaced by a file. */
std::optional<WriteTarget> findWriteTarget (const juce::File& file)
{
    std::string path = file.getFullPathName().toStdString();

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

        // The link's folder as the system reaches it, links on the way included.
        const auto linkFolder = path.substr (0, path.rfind ('/') + 1);
        struct stat folderInfo
        {
        };
        if (hops == maxLinkHops || ::stat (linkFolder.c_str(), &folderInfo) != 0 ||
            !mayFollow (info, folderInfo))
            return std::nullopt;

        char target[PATH_MAX];
        const auto length = ::readlink (path.c_str(), target, sizeof (target));
        if (length <= 0 || (size_t) length == sizeof (target))
            return std::nullopt;

        // A relative target counts from the link's own folder.
        const std::string text (target, (size_t) length);
        // A path that is not UTF-8 has no String naming it, and such files are never saved over.
        if (!StrictUtf8::isWellFormed (text.data(), text.size()))
            return std::nullopt;
        path = text.front() == '/' ? text : linkFolder + text;
    }

    const auto slash = path.rfind ('/');
    auto name = path.substr (slash + 1);
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;

    // The system opens the folder: folding a ".." by name, as juce::File does, is not where the system goes
    // when a folder on the way is itself a link, and it follows those links by its own rules.
    Descriptor folder (
        ::open (slash == 0 ? "/" : path.substr (0, slash).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return std::nullopt;

    return WriteTarget{std::move (folder), std::move (name)};
}

/** The name of the temporary file written beside the target: the target's name, shortened where needed at
    a character's boundary, then "_temp" and eight hex digits; never longer than a folder takes, so that
    every name that can be saved can be saved through it. */
std::string temporaryName (const std::string& name)
{
    const auto suffix =
        ("_temp" + juce::String::toHexString (juce::Random().nextInt()).paddedLeft ('0', 8)).toStdString();
    auto kept = std::min (name.size(), maxNameBytes - suffix.size());
    while (kept > 0 && kept < name.size() && (name[kept] & 0xc0) == 0x80)
        --kept;
    return name.substr (0, kept) + suffix;
}

bool writeAll (int fd, const char* data, size_t size)
{
    while (size > 0)
    {
        const auto written = ::write (fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= (size_t) written;
    }
    return true;
}

/** Writes the bytes to a new file beside the target and renames it over the target, so that a failed write
    never damages the old file. A replaced file keeps its permissions (a private file stays private); one
    the user may not write is not replaced, though its folder would allow it. Root may, as the system lets
    it. */
bool replace (const WriteTarget& target, const char* data, size_t size)
{
    const int folder = target.folder.get();
    const auto* name = target.name.c_str();
    std::optional<mode_t> keptMode;

    struct stat existing
    {
    };
    if (::fstatat (folder, name, &existing, AT_SYMLINK_NOFOLLOW) == 0)
    {
        if (!S_ISREG (existing.st_mode) || ::faccessat (folder, name, W_OK, AT_EACCESS) != 0)
            return false;
        keptMode = existing.st_mode & 07777;
    }
    else if (errno != ENOENT)
    {
        return false;
    }

    // A name nobody else had: never a file or a link planted there.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt)
    {
        temporary = temporaryName (target.name);
        fd = ::openat (folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    Descriptor file (fd);
    const bool replaced = writeAll (file.get(), data, size) &&
                          (!keptMode || ::fchmod (file.get(), *keptMode) == 0) && file.close() &&
                          ::renameat (folder, temporary.c_str(), folder, name) == 0;
    if (!replaced)
        ::unlinkat (folder, temporary.c_str(), 0);
    return replaced;
}

bool writeReplacing (const juce::File& file, const std::function<void (juce::OutputStream&)>& write)
{
    const auto target = findWriteTarget (file);
    if (!target)
        return false;

    juce::MemoryOutputStream text;
    write (text);
    return replace (*target, static_cast<const char*> (text.getData()), text.getDataSize());
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
