#include "engine/Kelvanor.h"
#include "framework/XmlHelpers.h"

#include <bit>
#include <limits>

namespace
{
// Stored words, compared with case counting.
const char* const accentLevelWords[] = {"low", "medium", "high"};
const char* const oscillatorTuningWords[] = {"accurate", "vintage", "battery low"};
constexpr int numSettingWords = 3;

/** The index of an exact stored word, or -1. */
int indexOfWord (const juce::String& text, const char* const (&words)[numSettingWords])
{
    for (int i = 0; i < numSettingWords; ++i)
        if (text == words[i])
            return i;

    return -1;
}

/** The levels and tunings an "InternalSettings" element names; -1 where it names none. */
struct InternalSettings
{
    int accentVelocityLevel = -1;
    int oscillatorTuning = -1;
};

InternalSettings readInternalSettings (const juce::XmlElement& xml)
{
    InternalSettings settings;

    for (const auto* child : xml.getChildIterator())
    {
        const auto value = child->getStringAttribute ("value");

        if (XmlHelpers::tagIs (*child, "AccentVelocityLevel"))
        {
            if (const int level = indexOfWord (value, accentLevelWords); level >= 0)
                settings.accentVelocityLevel = level;
        }
        else if (XmlHelpers::tagIs (*child, "OscillatorTuning"))
        {
            if (const int tuning = indexOfWord (value, oscillatorTuningWords); tuning >= 0)
                settings.oscillatorTuning = tuning;
        }
    }

    return settings;
}

/** An integer attribute limited to first..last; the fallback when it is absent or no whole number.
    Numbers beyond int read as the nearest end rather than wrapping round into the range. */
int readLimitedInt (const juce::XmlElement& xml, const char* attribute, int first, int last, int fallback)
{
    const auto text = xml.getStringAttribute (attribute).trim();
    const auto digits = text.startsWithChar ('-') || text.startsWithChar ('+') ? text.substring (1) : text;

    if (digits.isEmpty() || !digits.containsOnly ("0123456789"))
        return fallback;

    // Beyond 18 digits the text would not fit the 64-bit reading either.
    if (digits.length() > 18)
        return text.startsWithChar ('-') ? first : last;

    return (int) juce::jlimit<juce::int64> (first, last, text.getLargeIntValue());
}

/** "SelfReset" goes after the first four children of an "InternalSequencer" element. */
void insertSelfReset (juce::XmlElement& sequencer, bool on)
{
    sequencer.insertChildElement (BasePlugin::createStateElement ("SelfReset", on).release(),
                                  juce::jmin (4, sequencer.getNumChildElements()));
}

//==============================================================================
// The old binary chunks, little-endian.

constexpr int legacyPresetRecordSize = 128;
constexpr int legacyNumPresetRecords = 128;
constexpr int legacyPresetNameOffset = 96; // after 24 floats
constexpr int legacyPresetNameLength = 24;
constexpr int legacyPatternsOffset = 16384;
constexpr int legacyPatternRecordSize = 652;
constexpr int legacyStepRecordSize = 40;
constexpr int legacyPatternLengthOffset = 640;
constexpr int legacyThresholdsOffset = 99848; // gate, accent, slide thresholds
constexpr int legacyInternalClockOffset = 99860;
constexpr int legacyInternalSequencerOffset = 99864;
constexpr int legacyArpeggiatorOffset = 99876; // 8 floats
constexpr int legacyAutoFollowOffset = 99916;
constexpr int legacyEditedPatternOffset = 99920;
constexpr int legacyEditedStepOffset = 99924;

/** The parameter each of a preset record's 24 floats sets. */
constexpr int legacyPresetParameters[] = {0, 2,  3,  5,  7,  9,  1,  10, 6,  23, 8,  11,
                                          4, 12, 15, 13, 16, 17, 14, 18, 21, 22, 19, 20};
constexpr int legacyArpeggiatorParameters[] = {24, 25, 31, 32, 27, 28, 29, 30};

constexpr float legacyLevelScale = 0.007874016f;  // 1/127
constexpr float legacyTuningScale = 0.041666668f; // 1/24: the old tuning knob spanned a semitone each way

juce::int32 readInt (const juce::uint8* data, int offset)
{
    return (juce::int32) juce::ByteOrder::littleEndianInt (data + offset);
}

float readFloat (const juce::uint8* data, int offset)
{
    return std::bit_cast<float> (juce::ByteOrder::littleEndianInt (data + offset));
}

/** A level 0..127 as 0..1; anything outside the range is brought into it. */
double legacyLevel (juce::int32 value)
{
    return (double) juce::jlimit (0.0f, 1.0f, (float) value * legacyLevelScale);
}
} // namespace

//==============================================================================
void Kelvanor::initialise()
{
    IntSeqPlugin::initialise();

    setSelfReset (defaultSelfReset);
    setAccentVelocityLevel (defaultAccentVelocityLevel);
    setOscillatorTuning (defaultOscillatorTuning);
}

void Kelvanor::setSelfReset (bool shouldBeOn)
{
    selfReset.store (shouldBeOn, relaxed);
    getParameterManager().setParameterBool (selfResetStateId, isInternalSequencerOn() && shouldBeOn);
}

void Kelvanor::setDefaultAccentVelocityLevel (int level) noexcept
{
    if (level >= lowAccentLevel && level <= highAccentLevel)
        defaultAccentVelocityLevel = level;
}

void Kelvanor::setDefaultOscillatorTuning (int type) noexcept
{
    if (type >= accurateTuning && type <= batteryLowTuning)
        defaultOscillatorTuning = type;
}

//==============================================================================
std::unique_ptr<juce::XmlElement> Kelvanor::createInternalSettingsXml (int level, int tuning) const
{
    auto xml = std::make_unique<juce::XmlElement> ("InternalSettings");

    auto* levelElement = xml->createNewChildElement ("AccentVelocityLevel");
    if (level >= 0 && level < numSettingWords)
        levelElement->setAttribute ("value", accentLevelWords[level]);

    auto* tuningElement = xml->createNewChildElement ("OscillatorTuning");
    if (tuning >= 0 && tuning < numSettingWords)
        tuningElement->setAttribute ("value", oscillatorTuningWords[tuning]);

    return xml;
}

std::unique_ptr<juce::XmlElement> Kelvanor::createStateXml()
{
    // The preset level's element, not the sequencer level's: the sequencer goes first here.
    auto xml = BasePluginOldStyle::createStateXml();
    if (xml == nullptr)
        return nullptr;

    if (auto sequencer = createSequencerStateXml())
        xml->insertChildElement (sequencer.release(), 0);

    xml->insertChildElement (
        createInternalSettingsXml (getAccentVelocityLevel(), getOscillatorTuning()).release(), 0);
    return xml;
}

void Kelvanor::applyStateXml (const juce::XmlElement& xml)
{
    IntSeqPlugin::applyStateXml (xml);

    if (!isStateXml (xml))
        return;

    for (const auto* child : xml.getChildIterator())
    {
        if (!XmlHelpers::tagIs (*child, "InternalSettings"))
            continue;

        const auto settings = readInternalSettings (*child);

        if (settings.accentVelocityLevel >= 0)
            setAccentVelocityLevel (settings.accentVelocityLevel);

        if (settings.oscillatorTuning >= 0)
            setOscillatorTuning (settings.oscillatorTuning);
    }
}

void Kelvanor::readUserSettings (const juce::XmlElement& root)
{
    IntSeqPlugin::readUserSettings (root);

    if (!isUserSettingsXml (root))
        return;

    // Defaults only: they apply at the next start-up.
    for (const auto* child : root.getChildIterator())
    {
        if (!XmlHelpers::tagIs (*child, "InternalSettings"))
            continue;

        const auto settings = readInternalSettings (*child);
        setDefaultAccentVelocityLevel (settings.accentVelocityLevel);
        setDefaultOscillatorTuning (settings.oscillatorTuning);
    }
}

std::unique_ptr<juce::XmlElement> Kelvanor::createUserSettingsXml()
{
    auto root = IntSeqPlugin::createUserSettingsXml();

    if (root != nullptr)
        root->addChildElement (
            createInternalSettingsXml (defaultAccentVelocityLevel, defaultOscillatorTuning).release());

    return root;
}

void Kelvanor::readSequencerSettings (const juce::XmlElement& xml)
{
    IntSeqPlugin::readSequencerSettings (xml);

    if (!XmlHelpers::tagIs (xml, "InternalSequencer"))
        return;

    for (const auto* child : xml.getChildIterator())
        if (XmlHelpers::tagIs (*child, "SelfReset"))
            defaultSelfReset = isStateOn (*child);
}

std::unique_ptr<juce::XmlElement> Kelvanor::createSequencerSettingsXml()
{
    auto xml = IntSeqPlugin::createSequencerSettingsXml();

    if (xml != nullptr)
        insertSelfReset (*xml, defaultSelfReset);

    return xml;
}

void Kelvanor::readSequencerState (const juce::XmlElement& xml)
{
    // Modes and patterns first: the edition state selects within them.
    IntSeqPlugin::readSequencerState (xml);

    if (!XmlHelpers::tagIs (xml, "InternalSequencer"))
        return;

    for (const auto* child : xml.getChildIterator())
    {
        if (XmlHelpers::tagIs (*child, "SelfReset"))
            setSelfReset (isStateOn (*child));
        else if (XmlHelpers::tagIs (*child, "EditionState"))
            readEditionState (*child);
    }
}

std::unique_ptr<juce::XmlElement> Kelvanor::createSequencerStateXml()
{
    auto xml = IntSeqPlugin::createSequencerStateXml();
    if (xml == nullptr)
        return nullptr;

    insertSelfReset (*xml, isSelfResetOn());

    auto* edition = xml->createNewChildElement ("EditionState");
    edition->createNewChildElement ("EditedPattern")->setAttribute ("value", getEditedPattern());
    edition->createNewChildElement ("EditedStep")->setAttribute ("value", getEditedStep());

    auto* chain = edition->createNewChildElement ("ChainPatterns");
    chain->setAttribute ("first", getChainFirst());
    chain->setAttribute ("last", getChainLast());
    chain->setAttribute ("bank", getChainBank());
    return xml;
}

void Kelvanor::readEditionState (const juce::XmlElement& xml)
{
    if (!XmlHelpers::tagIs (xml, "EditionState"))
        return;

    constexpr int intMin = std::numeric_limits<int>::min();
    constexpr int intMax = std::numeric_limits<int>::max();

    for (const auto* child : xml.getChildIterator())
    {
        // A value that is no number leaves the selection as it is.
        if (XmlHelpers::tagIs (*child, "EditedPattern"))
            selectEditedPattern (readLimitedInt (*child, "value", intMin, intMax, getEditedPattern()));
        else if (XmlHelpers::tagIs (*child, "EditedStep"))
            selectEditedStep (readLimitedInt (*child, "value", intMin, intMax, getEditedStep()));
        else if (XmlHelpers::tagIs (*child, "ChainPatterns"))
        {
            const int bank = readLimitedInt (*child, "bank", 0, 2, getChainBank());
            const int first = readLimitedInt (*child, "first", 0, 7, getChainFirst());
            const int last = readLimitedInt (*child, "last", 0, 7, getChainLast());

            chainBank.store (bank, relaxed);
            selectedBank.store (bank, relaxed);
            chainFirst.store (juce::jmin (first, last), relaxed);
            chainLast.store (juce::jmax (first, last), relaxed);

            // A running sequencer moves to the chain when its pattern ends.
            if (!isInternalSequencerOn() || !getSequencerClock().isRunning())
            {
                const int playing = getChainFirstPattern();
                playingPattern.store (playing, relaxed);

                if (getEditedPattern() != playing)
                    selectEditedPattern (playing);

                updatePatternStates();
            }
        }
    }
}

//==============================================================================
void Kelvanor::setStateInformation (const void* data, int sizeInBytes)
{
    if (data != nullptr && sizeInBytes == legacyStateSize)
        importLegacyState (static_cast<const juce::uint8*> (data));
    else
        IntSeqPlugin::setStateInformation (data, sizeInBytes);
}

void Kelvanor::setCurrentProgramStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes != legacyProgramSize)
    {
        IntSeqPlugin::setCurrentProgramStateInformation (data, sizeInBytes);
        return;
    }

    PresetBankEntry preset (numPresetableParameters, -1);
    preset.copyFrom (getDefaultPreset());
    applyLegacyPreset (static_cast<const juce::uint8*> (data), preset);

    {
        const juce::ScopedLock sl (getPresetsLock());
        if (auto* current = getBankPreset (getCurrentPresetIndex()))
            current->copyFrom (preset);
    }

    publishBankSnapshot();

    if (getCurrentPresetIndex() < getNumPresets())
        loadCurrentPreset();
}

void Kelvanor::applyLegacyPreset (const juce::uint8* record, PresetBankEntry& preset) const
{
    for (int i = 0; i < (int) std::size (legacyPresetParameters); ++i)
    {
        const int parameter = legacyPresetParameters[i];
        float value = readFloat (record, 4 * i);

        // A value that is no number keeps the template's; the entry clamps the rest into 0..1.
        if (parameter >= preset.getNumValues() || !std::isfinite (value))
            continue;

        if (parameter == tuningId)
            value = (value - 0.5f) * legacyTuningScale + 0.5f;
        else if (parameter == waveformId || parameter == distortionRouteId)
            value = 1.0f - value; // the old switches ran the other way round

        preset.setValue (parameter, value);
    }

    juce::String name;
    for (int i = 0; i < legacyPresetNameLength; ++i)
    {
        const auto c = record[legacyPresetNameOffset + i];
        if (c == 0)
            break;

        name += juce::String::charToString ((juce::juce_wchar) c); // Latin-1 is the first 256 code points
    }

    preset.setName (name);
}

void Kelvanor::importLegacyPattern (const juce::uint8* record, int index)
{
    if (!isValidPattern (index))
        return;

    // Tempo and shuffle stay: the old chunk had none.
    Pattern pattern = getPattern (index);
    pattern.clearSteps();
    pattern.setName ("Pattern " + juce::String (index));
    pattern.setLength (
        juce::jlimit (1, Pattern::numSteps, (int) readInt (record, legacyPatternLengthOffset)));

    for (int stepIndex = 0; stepIndex < Pattern::numSteps; ++stepIndex)
    {
        const auto field = [record, stepIndex] (int i)
        { return readInt (record, stepIndex * legacyStepRecordSize + 4 * i); };

        Step step;
        step.gateLevel = legacyLevel (field (1));
        step.gate = field (2) == 1 ? 1 : 0;
        step.accentLevel = legacyLevel (field (3));
        step.accent = field (4) == 1 ? 1 : 0;
        step.slideLevel = legacyLevel (field (5));
        step.slide = field (6) == 1 ? 1 : 0;
        step.note = (int) juce::jlimit<juce::int32> (0, 12, field (7));
        step.octaveDown = field (8) == 1 ? 1 : 0;
        step.octaveUp = field (9) == 1 ? 1 : 0;
        pattern.setStep (stepIndex, step);
    }

    const juce::ScopedLock sl (patternNamesLock);
    patterns[(size_t) index] = pattern;
}

void Kelvanor::importLegacyState (const juce::uint8* data)
{
    const int numRecords = juce::jmin (getNumPresets(), legacyNumPresetRecords);

    for (int i = 0; i < numRecords; ++i)
    {
        PresetBankEntry preset (numPresetableParameters, -1);
        preset.copyFrom (getDefaultPreset());
        applyLegacyPreset (data + legacyPresetRecordSize * i, preset);

        const juce::ScopedLock sl (getPresetsLock());
        if (auto* slot = getBankPreset (i))
            slot->copyFrom (preset);
    }

    publishBankSnapshot();

    if (getCurrentPresetIndex() < getNumPresets())
        loadCurrentPreset();

    for (int i = 0; i < numPatterns; ++i)
        importLegacyPattern (data + legacyPatternsOffset + legacyPatternRecordSize * i, i);

    const auto setParameter = [this] (int id, float value)
    {
        // A value that is no number leaves the parameter as it was.
        if (std::isfinite (value))
            getParameterManager().setParameterNormalised (id, juce::jlimit (0.0f, 1.0f, value));
    };

    for (int i = 0; i < 3; ++i)
        setParameter (gateThresholdId + i, readFloat (data, legacyThresholdsOffset + 4 * i));

    for (int i = 0; i < (int) std::size (legacyArpeggiatorParameters); ++i)
        setParameter (legacyArpeggiatorParameters[i], readFloat (data, legacyArpeggiatorOffset + 4 * i));

    setInternalSequencer (readFloat (data, legacyInternalSequencerOffset) >= 0.5f);
    setInternalSync (readFloat (data, legacyInternalClockOffset) >= 0.5f);
    setAutoFollow (readInt (data, legacyAutoFollowOffset) == 1);

    selectEditedPattern (readInt (data, legacyEditedPatternOffset));
    selectEditedStep (readInt (data, legacyEditedStepOffset));

    // Names and lengths of every pattern changed underneath the panel.
    updatePatternStates();
}
