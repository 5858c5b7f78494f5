#include "framework/BasePluginOldStyle.h"

#include "framework/NumberText.h"
#include "framework/XmlHelpers.h"

#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace
{
/** At most 6 decimals, at most 6 significant digits: "0.5", "0.752", "1". */
juce::String formatPresetValue (float value)
{
    return NumberText::formatGeneral (std::round ((double) value * 1000000.0) * 0.000001, 6);
}

/** A name attribute; the fallback when it is missing or empty. */
juce::String readName (const juce::XmlElement& xml, const juce::String& fallback)
{
    const auto name = xml.getStringAttribute ("name");
    return name.isEmpty() ? fallback : name;
}

/** The entry takes the values, one per presetable parameter, in identifier order. */
template <size_t numValues>
void setValues (PresetBankEntry& entry, const std::array<float, numValues>& values)
{
    for (size_t id = 0; id < numValues; ++id)
        entry.setValue ((int) id, values[id]);
}

/** A slot of a cleared bank: the default values, named after its place. */
void resetSlot (PresetBankEntry& entry, const PresetBankEntry& defaults, int index)
{
    entry.copyFrom (defaults);
    entry.setName ("Preset " + juce::String (index));
}

const char* const notUsedGroupName = "Not used";

// What a name counts against the bank's bound, as BasePluginOldStyle::getBankTextBytes describes.
size_t presetNameCost (const juce::String& name)
{
    const auto bytes = XmlHelpers::writtenAttributeBytes (name);
    return bytes > BasePluginOldStyle::uncountedPresetNameBytes
               ? bytes - BasePluginOldStyle::uncountedPresetNameBytes
               : 0;
}

size_t groupCost (const juce::String& name)
{
    // "<PresetGroup name=\"" "\">" "</PresetGroup>" around the name. A group counts at least as much as
    // the one a cleared bank keeps, so that clearing never takes a bank beyond its bound.
    constexpr size_t markupBytes = 35;
    static const auto clearedBankGroupBytes = XmlHelpers::writtenAttributeBytes (notUsedGroupName);
    return markupBytes + juce::jmax (clearedBankGroupBytes, XmlHelpers::writtenAttributeBytes (name));
}

/** What the bank's own name and its groups count. */
size_t groupsCost (const juce::String& bankName, const juce::OwnedArray<PresetBankGroup>& groups)
{
    auto bytes = XmlHelpers::writtenAttributeBytes (bankName);
    for (const auto* group : groups)
        bytes += groupCost (group->getName());
    return bytes;
}

/** What the presets' names count; entries of the bank in place or of one read aside. */
template <typename Entries>
size_t presetsCost (const Entries& entries)
{
    size_t bytes = 0;
    for (const auto& entry : entries)
        bytes += presetNameCost (entry->getName());
    return bytes;
}
} // namespace

struct BasePluginOldStyle::BankImage
{
    juce::String name;
    std::vector<std::unique_ptr<PresetBankEntry>> presets;
    juce::OwnedArray<PresetBankGroup> groups;
};

//==============================================================================
int BasePluginOldStyle::getNumPresets() const
{
    const juce::ScopedLock sl (presetsLock);
    return presets.size();
}

PresetBankEntry* BasePluginOldStyle::getBankPreset (int index) const
{
    const juce::ScopedLock sl (presetsLock);
    return presets[index];
}

const PresetBankEntry* BasePluginOldStyle::getCurrentEntry() const
{
    return getBankPreset (getCurrentPresetIndex());
}

void BasePluginOldStyle::setCurrentPresetIndex (int index, bool notify)
{
    const auto name = findPresetName (index);
    if (!name.has_value())
        return;

    // The index first, so a listener of either parameter already sees the new current preset.
    currentPresetIndex.store (index);
    showPreset (index, *name, notify);
}

void BasePluginOldStyle::showPreset (int index, const juce::String& name, bool notify)
{
    // Shown without the synchronous listeners: a name set there renames the current preset, and with a
    // host restoring a state on its own thread while the message thread shows a program, "current" may be
    // another preset by then. The controls and pages hear of it as of any change.
    auto& manager = getParameterManager();
    if (auto* number = manager.getParameter (currentPresetNumberId); number != nullptr)
    {
        const bool moved = number->getValueInt() != index;
        number->setValueInt (index, false);
        if (notify && moved)
            number->triggerAsyncUpdate();
    }
    if (auto* presetName = manager.getParameter (currentPresetNameId); presetName != nullptr)
    {
        const bool renamed = presetName->getValueText() != name;
        presetName->setValueText (name, false);
        if (notify && renamed)
            presetName->triggerAsyncUpdate();
    }

    // Shown on two threads at once, the two may end up showing another preset than the current one: the
    // message thread shows the current one once more after them.
    if (notify && !juce::MessageManager::existsAndIsCurrentThread())
        bankNotices.postShowCurrentPreset();
}

void BasePluginOldStyle::showCurrentPreset()
{
    const int index = getCurrentPresetIndex();
    if (const auto name = findPresetName (index))
        showPreset (index, *name, true);
}

void BasePluginOldStyle::loadCurrentPreset()
{
    const int index = getCurrentPresetIndex();
    std::array<float, numPresetableParameters> values{};
    juce::String name;
    {
        const juce::ScopedLock sl (presetsLock);
        const auto* entry = presets[index];
        if (entry == nullptr)
            return;

        for (int id = 0; id < numPresetableParameters; ++id)
            values[(size_t) id] = entry->getValue (id);
        name = entry->getName();
    }

    auto& manager = getParameterManager();
    for (int id = 0; id < numPresetableParameters; ++id)
        manager.setParameterNormalised (id, values[(size_t) id]);

    showPreset (index, name, true);

    presetListeners.call ([] (PresetManagerListener& l) { l.presetChanged(); });
}

void BasePluginOldStyle::selectPreset (int index)
{
    if (!juce::isPositiveAndBelow (index, getNumPresets()))
        return;

    // The index alone: the load sets 110000 and 110001 and tells their listeners. Set quietly beforehand,
    // they would already hold the new values, the load would change nothing and nobody would hear of it.
    currentPresetIndex.store (index);
    loadCurrentPreset();
}

void BasePluginOldStyle::selectNextPreset()
{
    selectPreset (getCurrentPresetIndex() + 1);
}

void BasePluginOldStyle::selectPreviousPreset()
{
    selectPreset (getCurrentPresetIndex() - 1);
}

std::optional<juce::String> BasePluginOldStyle::findPresetName (int index) const
{
    const juce::ScopedLock sl (presetsLock);
    if (const auto* entry = presets[index])
        return entry->getName();
    return std::nullopt;
}

juce::String BasePluginOldStyle::getPresetName (int index) const
{
    return findPresetName (index).value_or (juce::String());
}

bool BasePluginOldStyle::setPresetName (int index, const juce::String& name)
{
    juce::String shown;
    bool renamed = false;
    {
        const juce::ScopedLock names (bankTextLock);
        const auto groupsBytes = getGroupsTextBytes();
        const juce::ScopedLock sl (presetsLock);
        auto* entry = presets[index];
        if (entry == nullptr)
            return false;

        renamed =
            getPresetsTextBytes() - presetNameCost (entry->getName()) + presetNameCost (name) + groupsBytes <=
            maxBankTextBytes;
        if (renamed)
            entry->setName (name);
        shown = entry->getName();
    }

    // A refused name may already stand in 110001, typed there: the kept one replaces it.
    if (index == getCurrentPresetIndex())
        showPreset (index, shown, true);

    return renamed;
}

std::array<float, BasePluginOldStyle::numPresetableParameters> BasePluginOldStyle::getPresetableValues() const
{
    std::array<float, numPresetableParameters> values{};
    const auto& manager = getParameterManager();
    for (int id = 0; id < numPresetableParameters; ++id)
        values[(size_t) id] = manager.getParameterNormalised (id);
    return values;
}

void BasePluginOldStyle::storePreset (int index)
{
    const auto values = getPresetableValues();
    {
        const juce::ScopedLock sl (presetsLock);
        if (auto* entry = presets[index])
            setValues (*entry, values);
    }

    publishBankSnapshot();
}

void BasePluginOldStyle::copyCurrentPreset()
{
    copyBuffer->setName (getPresetName (getCurrentPresetIndex()) + "_copy");

    setValues (*copyBuffer, getPresetableValues());

    copyBufferFull = true;
}

void BasePluginOldStyle::pasteCopiedPreset()
{
    if (!copyBufferFull)
        return;

    auto& manager = getParameterManager();
    for (int id = 0; id < numPresetableParameters; ++id)
        manager.setParameterNormalised (id, copyBuffer->getValue (id));

    const int index = getCurrentPresetIndex();
    setPresetName (index, copyBuffer->getName());
    storePreset (index);
    loadCurrentPreset();
}

void BasePluginOldStyle::addPresetManagerListener (PresetManagerListener* listener)
{
    presetListeners.add (listener);
}

void BasePluginOldStyle::removePresetManagerListener (PresetManagerListener* listener)
{
    presetListeners.remove (listener);
}

//==============================================================================
juce::String BasePluginOldStyle::getBankName() const
{
    const juce::ScopedLock sl (groupsLock);
    return bankName;
}

size_t BasePluginOldStyle::getBankTextBytes() const
{
    return getGroupsTextBytes() + getPresetsTextBytes();
}

size_t BasePluginOldStyle::getGroupsTextBytes() const
{
    const juce::ScopedLock sl (groupsLock);
    return groupsCost (bankName, groups);
}

size_t BasePluginOldStyle::getPresetsTextBytes() const
{
    const juce::ScopedLock sl (presetsLock);
    return presetsCost (presets);
}

void BasePluginOldStyle::clearBank()
{
    {
        const juce::ScopedLock sl (presetsLock);
        for (int i = 0; i < presets.size(); ++i)
            resetSlot (*presets.getUnchecked (i), *defaultPreset, i);
    }

    publishBankSnapshot();

    const int numPresets = getNumPresets();
    const juce::ScopedLock sl (groupsLock);
    groups.clear();
    groups.add (new PresetBankGroup (notUsedGroupName, numPresets));
}

int BasePluginOldStyle::getNumGroups() const
{
    const juce::ScopedLock sl (groupsLock);
    return groups.size();
}

juce::String BasePluginOldStyle::getGroupName (int group) const
{
    const juce::ScopedLock sl (groupsLock);
    const auto* entry = groups[group];
    return entry != nullptr ? entry->getName() : juce::String();
}

bool BasePluginOldStyle::setGroupName (int group, const juce::String& name)
{
    const juce::ScopedLock names (bankTextLock);
    const auto presetsBytes = getPresetsTextBytes();
    const juce::ScopedLock sl (groupsLock);
    auto* entry = groups[group];
    if (entry == nullptr ||
        getGroupsTextBytes() - groupCost (entry->getName()) + groupCost (name) + presetsBytes >
            maxBankTextBytes)
        return false;

    entry->setName (name);
    return true;
}

int BasePluginOldStyle::getGroupSize (int group) const
{
    const juce::ScopedLock sl (groupsLock);
    const auto* entry = groups[group];
    return entry != nullptr ? entry->getSize() : 0;
}

int BasePluginOldStyle::getGroupFirstPresetIndex (int group) const
{
    const juce::ScopedLock sl (groupsLock);
    if (!juce::isPositiveAndBelow (group, groups.size()))
        return -1;

    int first = 0;
    for (int i = 0; i < group; ++i)
        first += groups.getUnchecked (i)->getSize();
    return first;
}

int BasePluginOldStyle::getGroupLastPresetIndex (int group) const
{
    const juce::ScopedLock sl (groupsLock);
    const int first = getGroupFirstPresetIndex (group);
    return first < 0 ? -1 : first + groups.getUnchecked (group)->getSize() - 1;
}

int BasePluginOldStyle::getPresetIndex (int group, int indexInGroup) const
{
    const int first = getGroupFirstPresetIndex (group);
    if (first < 0 || !juce::isPositiveAndBelow (indexInGroup, getGroupSize (group)))
        return -1;

    const int index = first + indexInGroup;
    return index < getNumPresets() ? index : -1;
}

juce::String BasePluginOldStyle::getGroupPresetName (int group, int indexInGroup) const
{
    return getPresetName (getPresetIndex (group, indexInGroup));
}

int BasePluginOldStyle::getGroupIndexOfPreset (int presetIndex) const
{
    if (presetIndex < 0)
        return -1;

    const juce::ScopedLock sl (groupsLock);
    int end = 0;
    for (int group = 0; group < groups.size(); ++group)
    {
        end += groups.getUnchecked (group)->getSize();
        if (presetIndex < end)
            return group;
    }
    return -1;
}

bool BasePluginOldStyle::insertGroup (int index)
{
    const juce::String name ("New Group");
    const juce::ScopedLock names (bankTextLock);
    const auto presetsBytes = getPresetsTextBytes();
    const juce::ScopedLock sl (groupsLock);
    if (!juce::isPositiveAndBelow (index, groups.size()) || groups.size() >= maxGroups ||
        getGroupsTextBytes() + groupCost (name) + presetsBytes > maxBankTextBytes)
        return false;

    groups.insert (index, new PresetBankGroup (name, 0));
    return true;
}

bool BasePluginOldStyle::removeEmptyGroup (int index)
{
    const juce::ScopedLock sl (groupsLock);
    const auto* group = groups[index];
    if (group == nullptr || group->getSize() != 0)
        return false;

    groups.remove (index);
    return true;
}

//==============================================================================
void BasePluginOldStyle::followCurrentPreset (const PresetBankEntry* current)
{
    // Every move ends here: program numbers now name other presets.
    publishBankSnapshot();

    int index = -1;
    {
        const juce::ScopedLock sl (presetsLock);
        index = presets.indexOf (current);
    }

    if (index >= 0)
        setCurrentPresetIndex (index, false);
}

void BasePluginOldStyle::movePreset (int from, int to, int fromGroup, int toGroup)
{
    const int numPresets = getNumPresets();
    if (from == to || !juce::isPositiveAndBelow (from, numPresets) ||
        !juce::isPositiveAndBelow (to, numPresets))
        return;

    const int fromFirst = getGroupFirstPresetIndex (fromGroup);
    const int toFirst = getGroupFirstPresetIndex (toGroup);
    if (fromFirst < 0 || toFirst < 0 || from < fromFirst || from >= fromFirst + getGroupSize (fromGroup))
        return;

    // Where toGroup's range lies once the preset has changed groups: a target outside it would leave the
    // preset in a group it was not dropped on.
    int toStart = toFirst;
    int toSize = getGroupSize (toGroup);
    if (fromGroup != toGroup)
    {
        ++toSize;
        if (fromGroup < toGroup)
            --toStart;
    }
    if (to < toStart || to >= toStart + toSize)
        return;

    const auto* current = getCurrentEntry();
    {
        const juce::ScopedLock sl (presetsLock);
        presets.move (from, to);
    }

    if (fromGroup != toGroup)
    {
        const juce::ScopedLock sl (groupsLock);
        groups[fromGroup]->setSize (groups[fromGroup]->getSize() - 1);
        groups[toGroup]->setSize (groups[toGroup]->getSize() + 1);
    }

    followCurrentPreset (current);
}

void BasePluginOldStyle::movePresetsToGroup (int toGroup, int fromGroup, const juce::SparseSet<int>& rows)
{
    const int fromFirst = getGroupFirstPresetIndex (fromGroup);
    const int toFirst = getGroupFirstPresetIndex (toGroup);
    if (fromGroup == toGroup || fromFirst < 0 || toFirst < 0 || rows.isEmpty())
        return;

    const int fromSize = getGroupSize (fromGroup);
    const int toEnd = toFirst + getGroupSize (toGroup);

    std::vector<int> selected; // flat indices, ascending
    for (int i = 0; i < rows.size(); ++i)
        if (const int row = rows[i]; juce::isPositiveAndBelow (row, fromSize))
            selected.push_back (fromFirst + row);

    if (selected.empty())
        return;

    const auto* current = getCurrentEntry();
    {
        const juce::ScopedLock sl (presetsLock);
        std::vector<PresetBankEntry*> moved;
        for (auto it = selected.rbegin(); it != selected.rend(); ++it)
            moved.insert (moved.begin(), presets.removeAndReturn (*it));

        // The presets taken out of a group in front of toGroup shift its end down.
        int insertAt = fromGroup < toGroup ? toEnd - (int) moved.size() : toEnd;
        for (auto* entry : moved)
            presets.insert (insertAt++, entry);
    }

    {
        const juce::ScopedLock sl (groupsLock);
        const int count = (int) selected.size();
        groups[fromGroup]->setSize (groups[fromGroup]->getSize() - count);
        groups[toGroup]->setSize (groups[toGroup]->getSize() + count);
    }

    followCurrentPreset (current);
}

void BasePluginOldStyle::moveGroup (int from, int to)
{
    const int fromFirst = getGroupFirstPresetIndex (from);
    const int toFirst = getGroupFirstPresetIndex (to);
    if (from == to || fromFirst < 0 || toFirst < 0)
        return;

    const int fromSize = getGroupSize (from);
    const int insertAt = from < to ? toFirst + getGroupSize (to) - fromSize : toFirst;

    const auto* current = getCurrentEntry();
    {
        const juce::ScopedLock sl (presetsLock);
        std::vector<PresetBankEntry*> block;
        for (int i = 0; i < fromSize; ++i)
            block.push_back (presets.removeAndReturn (fromFirst));

        for (int i = 0; i < fromSize; ++i)
            presets.insert (insertAt + i, block[(size_t) i]);
    }

    {
        const juce::ScopedLock sl (groupsLock);
        groups.move (from, to);
    }

    followCurrentPreset (current);
}

//==============================================================================
bool BasePluginOldStyle::isPresetXml (const juce::XmlElement& xml) const
{
    return isOwnXmlElement (&xml, "Preset");
}

bool BasePluginOldStyle::isPresetGroupXml (const juce::XmlElement& xml) const
{
    return XmlHelpers::tagIs (xml, "PresetGroup");
}

bool BasePluginOldStyle::isPresetBankXml (const juce::XmlElement& xml) const
{
    return XmlHelpers::tagIs (xml, "PresetBank");
}

bool BasePluginOldStyle::loadPresetFromXml (const juce::XmlElement& xml, int index)
{
    {
        const juce::ScopedLock names (bankTextLock);
        const auto groupsBytes = getGroupsTextBytes();

        // The entry is never deleted while this processor lives; the lock is taken again for the write.
        PresetBankEntry* entry = nullptr;
        size_t otherPresetsBytes = 0;
        {
            const juce::ScopedLock sl (presetsLock);
            entry = presets[index];
            if (entry == nullptr || !isPresetXml (xml))
                return false;
            otherPresetsBytes = getPresetsTextBytes() - presetNameCost (entry->getName());
        }

        if (groupsBytes + otherPresetsBytes + presetNameCost (readName (xml, "unnamed")) > maxBankTextBytes ||
            !loadPresetFromXml (xml, entry))
            return false;
    }

    publishBankSnapshot();
    return true;
}

bool BasePluginOldStyle::loadPresetFromXml (const juce::XmlElement& xml, PresetBankEntry* entry)
{
    if (entry == nullptr || !isPresetXml (xml))
        return false;

    // Read whole before the entry changes, and without the preset lock while parameters are looked up.
    const auto name = readName (xml, "unnamed");
    std::vector<std::pair<int, float>> values;
    const auto& manager = getParameterManager();
    for (const auto* param : xml.getChildIterator())
    {
        if (!XmlHelpers::tagIs (*param, "param"))
            continue;

        const int id = manager.getParameterIdByName (param->getStringAttribute ("name"));
        const double value = XmlHelpers::getFiniteDouble (*param, "value", 0.0);
        values.emplace_back (id, (float) juce::jlimit (0.0, 1.0, value));
    }

    const juce::ScopedLock sl (presetsLock);
    entry->setName (name);
    for (const auto& [id, value] : values)
        if (juce::isPositiveAndBelow (id, entry->getNumValues()))
            entry->setValue (id, value);
    return true;
}

std::unique_ptr<juce::XmlElement> BasePluginOldStyle::createPresetXml (int index) const
{
    return createPresetXml (getBankPreset (index));
}

std::unique_ptr<juce::XmlElement> BasePluginOldStyle::createPresetXml (const PresetBankEntry* entry) const
{
    if (entry == nullptr)
        return nullptr;

    juce::String name;
    std::vector<float> values;
    {
        const juce::ScopedLock sl (presetsLock);
        name = entry->getName();
        for (int id = 0; id < entry->getNumValues(); ++id)
            values.push_back (entry->getValue (id));
    }

    auto xml = createApplicationElement ("Preset");
    xml->setAttribute ("name", name);

    const auto& manager = getParameterManager();
    for (int id = 0; id < (int) values.size(); ++id)
    {
        auto* param = xml->createNewChildElement ("param");
        param->setAttribute ("name", manager.getParameterName (id));
        param->setAttribute ("value", formatPresetValue (values[(size_t) id]));
    }

    return xml;
}

std::unique_ptr<juce::XmlElement> BasePluginOldStyle::createCurrentPresetXml() const
{
    const auto name = findPresetName (getCurrentPresetIndex());
    if (!name.has_value())
        return nullptr;

    // The parameters, not the bank entry: with presets stored on demand the entry still holds the values
    // of the last store, and a saved preset or program is to keep the sound the user hears.
    PresetBankEntry played (numPresetableParameters, -1);
    played.setName (*name);
    setValues (played, getPresetableValues());
    return createPresetXml (&played);
}

bool BasePluginOldStyle::loadPresetBankFromXml (const juce::XmlElement& xml)
{
    if (!isPresetBankXml (xml))
        return false;

    BankImage image;
    image.name = readName (xml, "Preset Bank");

    const int numPresets = getNumPresets();
    for (int i = 0; i < numPresets; ++i)
    {
        auto entry = std::make_unique<PresetBankEntry> (numPresetableParameters, i);
        resetSlot (*entry, *defaultPreset, i);
        image.presets.push_back (std::move (entry));
    }

    int nextPreset = 0;
    for (const auto* groupXml : xml.getChildIterator())
    {
        if (!isPresetGroupXml (*groupXml))
            continue;

        // A chunk may hold a million groups: the reading stops at the bound.
        if (image.groups.size() >= maxGroups)
            return false;

        auto* group = image.groups.add (
            new PresetBankGroup (readName (*groupXml, "group " + juce::String (image.groups.size() + 1)), 0));

        for (const auto* presetXml : groupXml->getChildIterator())
        {
            if (nextPreset >= numPresets)
                break;

            if (loadPresetFromXml (*presetXml, image.presets[(size_t) nextPreset].get()))
            {
                ++nextPreset;
                group->setSize (group->getSize() + 1);
            }
        }
    }

    if (nextPreset < numPresets)
    {
        if (image.groups.size() >= maxGroups)
            return false;

        image.groups.add (new PresetBankGroup (notUsedGroupName, numPresets - nextPreset));
    }

    if (groupsCost (image.name, image.groups) + presetsCost (image.presets) > maxBankTextBytes)
        return false;

    const juce::ScopedLock names (bankTextLock);
    installBank (image);
    return true;
}

void BasePluginOldStyle::installBank (BankImage& image)
{
    {
        // The live entries are kept and overwritten, so pointers handed out stay valid.
        const juce::ScopedLock sl (presetsLock);
        const int count = juce::jmin (presets.size(), (int) image.presets.size());
        for (int i = 0; i < count; ++i)
            presets.getUnchecked (i)->copyFrom (*image.presets[(size_t) i]);
    }

    publishBankSnapshot();

    const juce::ScopedLock sl (groupsLock);
    bankName = image.name;
    groups.swapWith (image.groups);
}

std::unique_ptr<juce::XmlElement> BasePluginOldStyle::createPresetBankXml() const
{
    std::vector<std::pair<juce::String, int>> groupList;
    auto xml = std::make_unique<juce::XmlElement> ("PresetBank");
    {
        const juce::ScopedLock sl (groupsLock);
        xml->setAttribute ("name", bankName);
        for (const auto* group : groups)
            groupList.emplace_back (group->getName(), group->getSize());
    }

    int index = 0;
    for (const auto& [name, size] : groupList)
    {
        auto* groupXml = xml->createNewChildElement ("PresetGroup");
        groupXml->setAttribute ("name", name);
        for (int i = 0; i < size; ++i)
            if (auto preset = createPresetXml (index++))
                groupXml->addChildElement (preset.release());
    }

    return xml;
}

//==============================================================================
bool BasePluginOldStyle::loadPresetFile (const juce::File& file, int index)
{
    if (!juce::isPositiveAndBelow (index, getNumPresets()))
        return false;

    const auto xml = XmlHelpers::parse (file);
    if (xml == nullptr || !loadPresetFromXml (*xml, index))
        return false;

    if (index == getCurrentPresetIndex())
        loadCurrentPreset();
    return true;
}

bool BasePluginOldStyle::loadPresetBankFile (const juce::File& file)
{
    const auto xml = XmlHelpers::parse (file);
    if (xml == nullptr || !loadPresetBankFromXml (*xml))
        return false;

    loadCurrentPreset();
    setRecentlyUsedDirectory (file.getParentDirectory());
    return true;
}
