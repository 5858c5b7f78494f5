#pragma once

#include <juce_core/juce_core.h>
#include <memory>

class Parameter;
class ParameterManager;

/** A named set of parameter values, each kept as the parameter's text form, with descriptive attributes
    (application, category, version, author, id, tags, rating) and an optional block of extra data. Reads
    and writes the "Preset" element and files holding one; parameters are named in files and found by
    name in a ParameterManager.

    Used by one thread at a time. */
class Preset
{
public:
    /** One stored value: the parameter's identifier and its value as text. */
    struct ValueRecord
    {
        int parameterId = -1;
        juce::String value;
    };

    /** Rating 3 (not set), everything else empty. */
    Preset();
    virtual ~Preset();

    /** Parses the file and reads its root as loadFromXml does. False when the file cannot be read, does
        not parse or holds no "Preset"; the values are then empty and the header unchanged. */
    virtual bool loadFromFile (const juce::File& file, ParameterManager& manager, bool headerOnly);

    /** Writes createXml with encoding "UTF-8"; the old file is replaced only by a complete new one. */
    virtual bool saveToFile (const juce::File& file, ParameterManager& manager);

    /** Always empties the values first. Then, for a "Preset" root (any case): the header, the tags, a
        rating 1 to 5 (other ratings leave it as it was) and, unless headerOnly, the values of the
        "param" entries whose name the manager knows, and the extra data. False for a missing or foreign
        root. */
    bool loadFromXml (const juce::XmlElement* root, ParameterManager& manager, bool headerOnly);

    /** The "Preset" element; values whose parameter the manager no longer has are left out. */
    std::unique_ptr<juce::XmlElement> createXml (const ParameterManager& manager) const;

    //==============================================================================
    /** Appends the parameter's identifier and text value; null is ignored. */
    void addParameterValue (const Parameter* parameter);

    /** Appends a record built by the caller; null is ignored. */
    void addValueRecord (std::unique_ptr<ValueRecord> record);

    /** Appends a copy of each record of other whose parameter this preset did not hold before the call
        (other's own repeated identifiers are all copied). */
    void addMissingValuesFrom (const Preset& other);

    int getNumValues() const { return values.size(); }
    /** Null out of range. */
    const ValueRecord* getValueRecord (int index) const { return values[index]; }
    bool holdsParameter (int parameterId) const { return heldIds.contains (parameterId); }
    void clearValues();

    //==============================================================================
    /** Rewrites only the "author" and "id" attributes of a preset file with this preset's author and id
        (an empty one removes the attribute); every other attribute, the values and the extra data stay as
        they are in the file. A file that does not parse or holds no "Preset" is not touched (false).
        Runs on the author-update thread: touches the file only. */
    bool setFileAuthor (const juce::File& file) const;

    //==============================================================================
    const juce::String& getName() const noexcept { return name; }
    void setName (const juce::String& newName) { name = newName; }
    const juce::String& getAuthor() const noexcept { return author; }
    void setAuthor (const juce::String& newAuthor) { author = newAuthor; }
    const juce::String& getId() const noexcept { return id; }
    void setId (const juce::String& newId) { id = newId; }
    const juce::String& getApplication() const noexcept { return application; }
    void setApplication (const juce::String& newApplication) { application = newApplication; }
    const juce::String& getCategory() const noexcept { return category; }
    void setCategory (const juce::String& newCategory) { category = newCategory; }
    const juce::String& getVersion() const noexcept { return version; }
    void setVersion (const juce::String& newVersion) { version = newVersion; }

    /** 1 to 5; 3 until a valid rating is read or set. */
    int getRating() const noexcept { return rating; }
    bool isRatingSet() const noexcept { return ratingSet; }
    /** Values outside 1 to 5 are ignored. */
    void setRating (int newRating);

    //==============================================================================
    /** Tags come in named groups; the text form is group ":" tags joined by "|", groups joined by ";". */
    int getNumTagGroups() const { return tagGroups.size(); }
    /** Empty out of range. */
    juce::String getTagGroupName (int group) const { return tagGroups[group]; }
    /** Empty out of range. */
    juce::StringArray getTags (int group) const;
    /** Replaces the tags of the named group, appending the group when it is new. */
    void setTags (const juce::String& group, const juce::StringArray& tags);
    void clearTags();

    /** Replaces all groups. A piece without ":" is a group with an empty name; empty pieces are skipped. */
    void setTagsFromText (const juce::String& text);
    juce::String getTagsText() const;

    //==============================================================================
    /** Null when none. */
    const juce::XmlElement* getExtraData() const noexcept { return extraData.get(); }
    void setExtraData (std::unique_ptr<juce::XmlElement> newExtraData)
    {
        extraData = std::move (newExtraData);
    }

private:
    juce::OwnedArray<ValueRecord> values; // in the order added
    juce::SparseSet<int> heldIds;         // the identifiers present in values
    juce::String name;
    juce::String author;
    juce::String id; // free text naming the preset, not a parameter identifier
    juce::String application;
    juce::String category;
    int rating = 3;
    bool ratingSet = false;
    juce::String version;
    juce::StringArray tagGroups;
    juce::OwnedArray<juce::StringArray> tagsOfGroup; // in step with tagGroups
    std::unique_ptr<juce::XmlElement> extraData;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Preset)
};

//==============================================================================
/** A Preset bound to its file; its name is the file name without extension. */
class FilePreset : public Preset
{
public:
    /** Rating 3, everything else empty, then setFile. */
    explicit FilePreset (const juce::File& file);

    /** Stores the file and takes its name without extension as the preset's name. */
    void setFile (const juce::File& newFile);
    const juce::File& getFile() const noexcept { return file; }

    /** Loads, then binds to the file. */
    bool loadFromFile (const juce::File& fileToLoad, ParameterManager& manager, bool headerOnly) override;

    /** Saves without a "name" attribute (the file name is the name), then binds to the file. */
    bool saveToFile (const juce::File& fileToSave, ParameterManager& manager) override;

private:
    juce::File file;
};
