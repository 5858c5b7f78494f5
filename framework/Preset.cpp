#include "framework/Preset.h"

#include "framework/Parameter.h"
#include "framework/ParameterManager.h"
#include "framework/XmlHelpers.h"

Preset::Preset() = default;
Preset::~Preset() = default;

bool Preset::loadFromFile (const juce::File& fileToLoad, ParameterManager& manager, bool headerOnly)
{
    const auto root = XmlHelpers::parse (fileToLoad);

    if (root == nullptr)
    {
        clearValues();
        return false;
    }

    return loadFromXml (root.get(), manager, headerOnly);
}

bool Preset::saveToFile (const juce::File& fileToSave, ParameterManager& manager)
{
    const auto root = createXml (manager);
    return XmlHelpers::writeToFile (*root, fileToSave);
}

bool Preset::loadFromXml (const juce::XmlElement* root, ParameterManager& manager, bool headerOnly)
{
    clearValues();

    if (root == nullptr || !XmlHelpers::tagIs (*root, "Preset"))
        return false;

    name = root->getStringAttribute ("name");
    application = root->getStringAttribute ("application");
    category = root->getStringAttribute ("category");
    version = root->getStringAttribute ("version");
    author = root->getStringAttribute ("author");
    id = root->getStringAttribute ("id");
    setTagsFromText (root->getStringAttribute ("tags"));

    if (root->hasAttribute ("rating"))
    {
        // Read wide, so that a huge number cannot wrap round into 1 to 5.
        const auto text = root->getStringAttribute ("rating").trim();
        const auto value = text.length() <= 18 ? text.getLargeIntValue() : 0;
        setRating ((int) juce::jlimit<juce::int64> (0, 6, value));
    }

    if (headerOnly)
        return true;

    for (auto* entry : root->getChildIterator())
    {
        if (!XmlHelpers::tagIs (*entry, "param"))
            continue;

        const int parameterId = manager.getParameterIdByName (entry->getStringAttribute ("name"));

        if (parameterId != -1)
            addValueRecord (std::make_unique<ValueRecord> (
                ValueRecord{parameterId, entry->getStringAttribute ("value")}));
    }

    // A full read replaces the whole preset: extra data left from an earlier read must not survive it.
    const auto* extra = XmlHelpers::findChild (*root, "ExtraData");
    const auto* content = extra != nullptr ? extra->getFirstChildElement() : nullptr;
    extraData = content != nullptr ? std::make_unique<juce::XmlElement> (*content) : nullptr;
    return true;
}

std::unique_ptr<juce::XmlElement> Preset::createXml (const ParameterManager& manager) const
{
    auto root = std::make_unique<juce::XmlElement> ("Preset");

    const auto setIfPresent = [&root] (const char* attribute, const juce::String& text)
    {
        if (text.isNotEmpty())
            root->setAttribute (attribute, text);
    };

    setIfPresent ("name", name);
    setIfPresent ("application", application);
    setIfPresent ("category", category);
    setIfPresent ("version", version);
    setIfPresent ("author", author);
    setIfPresent ("id", id);

    if (ratingSet)
        root->setAttribute ("rating", rating);

    if (!tagGroups.isEmpty())
        root->setAttribute ("tags", getTagsText());

    for (const auto* record : values)
    {
        if (const auto* parameter = manager.getParameter (record->parameterId))
        {
            auto* entry = root->createNewChildElement ("param");
            entry->setAttribute ("name", parameter->getName());
            entry->setAttribute ("value", record->value);
        }
    }

    if (extraData != nullptr)
        root->createNewChildElement ("ExtraData")->addChildElement (new juce::XmlElement (*extraData));

    return root;
}

//==============================================================================
void Preset::addParameterValue (const Parameter* parameter)
{
    if (parameter != nullptr)
        addValueRecord (
            std::make_unique<ValueRecord> (ValueRecord{parameter->getId(), parameter->getValueText()}));
}

void Preset::addValueRecord (std::unique_ptr<ValueRecord> record)
{
    if (record == nullptr)
        return;

    heldIds.addRange ({record->parameterId, record->parameterId + 1});
    values.add (record.release());
}

void Preset::addMissingValuesFrom (const Preset& other)
{
    const auto heldBefore = heldIds;

    for (const auto* record : other.values)
        if (!heldBefore.contains (record->parameterId))
            addValueRecord (std::make_unique<ValueRecord> (*record));
}

void Preset::clearValues()
{
    values.clear();
    heldIds.clear();
}

//==============================================================================
bool Preset::setFileAuthor (const juce::File& file) const
{
    auto root = XmlHelpers::parse (file);

    if (root == nullptr || !XmlHelpers::tagIs (*root, "Preset"))
        return false;

    const auto replace = [&root] (const char* attribute, const juce::String& text)
    {
        if (text.isEmpty())
            root->removeAttribute (attribute);
        else
            root->setAttribute (attribute, text);
    };

    replace ("author", author);
    replace ("id", id);
    return XmlHelpers::writeToFile (*root, file);
}

void Preset::setRating (int newRating)
{
    if (newRating >= 1 && newRating <= 5)
    {
        rating = newRating;
        ratingSet = true;
    }
}

//==============================================================================
juce::StringArray Preset::getTags (int group) const
{
    if (const auto* tags = tagsOfGroup[group])
        return *tags;

    return {};
}

void Preset::setTags (const juce::String& group, const juce::StringArray& tags)
{
    const int index = tagGroups.indexOf (group);

    if (index >= 0)
    {
        *tagsOfGroup.getUnchecked (index) = tags;
        return;
    }

    tagGroups.add (group);
    tagsOfGroup.add (new juce::StringArray (tags));
}

void Preset::clearTags()
{
    tagGroups.clear();
    tagsOfGroup.clear();
}

void Preset::setTagsFromText (const juce::String& text)
{
    clearTags();

    for (const auto& piece : juce::StringArray::fromTokens (text, ";", ""))
    {
        // A stray ";" would otherwise grow a nameless, tagless group that is written back as ":".
        if (piece.isEmpty())
            continue;

        const int colon = piece.indexOfChar (':');
        tagGroups.add (colon >= 0 ? piece.substring (0, colon) : juce::String());
        tagsOfGroup.add (new juce::StringArray (
            juce::StringArray::fromTokens (colon >= 0 ? piece.substring (colon + 1) : piece, "|", "")));
    }
}

juce::String Preset::getTagsText() const
{
    juce::StringArray groups;

    for (int i = 0; i < tagGroups.size(); ++i)
        groups.add (tagGroups[i] + ":" + tagsOfGroup.getUnchecked (i)->joinIntoString ("|"));

    return groups.joinIntoString (";");
}

//==============================================================================
FilePreset::FilePreset (const juce::File& fileToUse)
{
    setFile (fileToUse);
}

void FilePreset::setFile (const juce::File& newFile)
{
    file = newFile;
    setName (newFile.getFileNameWithoutExtension());
}

bool FilePreset::loadFromFile (const juce::File& fileToLoad, ParameterManager& manager, bool headerOnly)
{
    const bool loaded = Preset::loadFromFile (fileToLoad, manager, headerOnly);
    setFile (fileToLoad);
    return loaded;
}

bool FilePreset::saveToFile (const juce::File& fileToSave, ParameterManager& manager)
{
    setName ({});
    const bool saved = Preset::saveToFile (fileToSave, manager);
    setFile (fileToSave);
    return saved;
}
