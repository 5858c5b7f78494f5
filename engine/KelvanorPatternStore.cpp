#include "engine/Kelvanor.h"

#include "framework/BoundedFileReader.h"
#include "framework/XmlHelpers.h"

#include <limits>

namespace
{
/** What an index out of range reads: a new, empty pattern. */
const Pattern emptyPattern;

/** Whitespace-separated integers of a ".kl" text bank, read the way formatted input reads them (an
    optional sign and digits); anything else ends the reading. Values beyond int saturate. */
class IntegerReader
{
public:
    explicit IntegerReader (const juce::String& text)
        : position (text.getCharPointer())
    {
    }

    bool read (int& value)
    {
        position = position.findEndOfWhitespace();

        bool negative = false;
        if (*position == '-' || *position == '+')
        {
            negative = *position == '-';
            ++position;
        }

        if (!juce::CharacterFunctions::isDigit (*position))
            return false;

        juce::int64 magnitude = 0;
        while (juce::CharacterFunctions::isDigit (*position))
        {
            magnitude = juce::jmin<juce::int64> (magnitude * 10 + (*position - '0'), (juce::int64) 1 << 32);
            ++position;
        }

        // "12x" is a malformed number, not 12 followed by garbage.
        if (!position.isEmpty() && !position.isWhitespace())
            return false;

        const auto signedValue = negative ? -magnitude : magnitude;
        value = (int) juce::jlimit<juce::int64> (std::numeric_limits<int>::min(),
                                                 std::numeric_limits<int>::max(), signedValue);
        return true;
    }

private:
    juce::String::CharPointerType position;
};

/** A level of the text bank (0..127) as 0..1. */
double textLevel (int value)
{
    return juce::jlimit (0, 127, value) / 127.0;
}
} // namespace

//==============================================================================
const Pattern& Kelvanor::getPattern (int index) const
{
    return isValidPattern (index) ? patterns[(size_t) index] : emptyPattern;
}

int Kelvanor::getAddressablePatterns() const noexcept
{
    return isHostModeOn() ? numPatterns : numBankPatterns;
}

void Kelvanor::updateStepEditStates()
{
    updateStepStates();
    updateNoteStates();
    updateOctaveStates();
    updateGateAccentSlideStates();
    updateStepValueStates();
}

void Kelvanor::selectEditedPattern (int index)
{
    const int pattern = juce::jlimit (0, getAddressablePatterns() - 1, index);
    editedPattern.store (pattern, relaxed);

    const int length = getPatternLength (pattern);
    if (getEditedStep() >= length)
        selectEditedStep (length - 1);
}

void Kelvanor::selectEditedStep (int step)
{
    editedStep.store (juce::jlimit (0, Pattern::numSteps - 1, step), relaxed);
    updateStepEditStates();
}

void Kelvanor::selectNextPattern()
{
    const int edited = getEditedPattern();
    if (edited < getAddressablePatterns() - 1)
        selectEditedPattern (edited + 1);

    updatePatternStates();
}

void Kelvanor::selectPreviousPattern()
{
    const int edited = getEditedPattern();
    if (edited > 0)
        selectEditedPattern (edited - 1);

    updatePatternStates();
}

//==============================================================================
juce::String Kelvanor::getPatternName (int index) const
{
    if (!isValidPattern (index))
        return {};

    const juce::ScopedLock sl (patternNamesLock);
    return patterns[(size_t) index].getName();
}

void Kelvanor::setPatternName (int index, const juce::String& name)
{
    if (!isValidPattern (index))
        return;

    juce::String kept;
    {
        const juce::ScopedLock sl (patternNamesLock);
        if (patternNameFits (index, name))
            patterns[(size_t) index].setName (name);
        kept = patterns[(size_t) index].getName();
    }

    // Also for a refused name: the name display shows the one kept.
    IntSeqPlugin::setPatternName (index, kept);
}

bool Kelvanor::patternNameFits (int index, const juce::String& name) const
{
    const juce::ScopedLock sl (patternNamesLock);
    return getPatternNameBytes() - XmlHelpers::writtenAttributeBytes (patterns[(size_t) index].getName()) +
               XmlHelpers::writtenAttributeBytes (name) <=
           maxPatternNameBytes;
}

int Kelvanor::getPatternLength (int index) const
{
    return getPattern (index).getLength();
}

void Kelvanor::setPatternLength (int index, int length)
{
    if (!isValidPattern (index))
        return;

    auto& pattern = patterns[(size_t) index];
    pattern.setLength (length);
    IntSeqPlugin::setPatternLength (index, pattern.getLength());

    if (index == getEditedPattern() && getEditedStep() >= pattern.getLength())
        selectEditedStep (pattern.getLength() - 1);
}

double Kelvanor::getPatternTempo (int index) const
{
    return getPattern (index).getTempo();
}

void Kelvanor::setPatternTempo (int index, double tempo)
{
    if (!isValidPattern (index))
        return;

    patterns[(size_t) index].setTempo (tempo);
    IntSeqPlugin::setPatternTempo (index, patterns[(size_t) index].getTempo());
}

int Kelvanor::getPatternShuffle (int index) const
{
    return getPattern (index).getShuffle();
}

void Kelvanor::setPatternShuffle (int index, int shuffle)
{
    if (!isValidPattern (index))
        return;

    patterns[(size_t) index].setShuffle (shuffle);
    IntSeqPlugin::setPatternShuffle (index, patterns[(size_t) index].getShuffle());
}

//==============================================================================
void Kelvanor::clearPattern()
{
    const int edited = getEditedPattern();
    if (!isValidPattern (edited))
        return;

    {
        const juce::ScopedLock sl (patternNamesLock);
        clearUndoCopy = patterns[(size_t) edited];
    }

    clearUndoAvailable = true;
    clearUndoIndex = edited;
    patterns[(size_t) edited].clearSteps();
    updatePatternStates();
}

void Kelvanor::undoClearPattern()
{
    // Only for the pattern that was cleared, while it is still the edited one.
    if (!clearUndoAvailable || clearUndoIndex != getEditedPattern())
        return;

    {
        const juce::ScopedLock sl (patternNamesLock);
        if (!patternNameFits (clearUndoIndex, clearUndoCopy.getName()))
            return;
        patterns[(size_t) clearUndoIndex] = clearUndoCopy;
    }

    clearUndoAvailable = false;
    updatePatternStates();
}

void Kelvanor::copyPattern()
{
    const int edited = getEditedPattern();
    if (!isValidPattern (edited))
        return;

    {
        const juce::ScopedLock sl (patternNamesLock);
        clipboard = patterns[(size_t) edited];
    }

    IntSeqPlugin::copyPattern();
}

void Kelvanor::pastePattern()
{
    const int edited = getEditedPattern();
    if (!isClipboardFull() || !isValidPattern (edited))
        return;

    {
        const juce::ScopedLock sl (patternNamesLock);
        const auto name = clipboard.getName() + " copy";
        if (!patternNameFits (edited, name))
            return;
        auto& target = patterns[(size_t) edited];
        target = clipboard;
        target.setName (name);
    }

    IntSeqPlugin::pastePattern();
}

void Kelvanor::shiftPatternLeft (int index)
{
    if (!isValidPattern (index))
        return;

    patterns[(size_t) index].shiftLeft();
    updateStepEditStates();
}

void Kelvanor::shiftPatternRight (int index)
{
    if (!isValidPattern (index))
        return;

    patterns[(size_t) index].shiftRight();
    updateStepEditStates();
}

void Kelvanor::updatePatternStates()
{
    IntSeqPlugin::updatePatternStates();
    updateStepEditStates();
}

void Kelvanor::updateNativeModeReadyState()
{
    IntSeqPlugin::updateNativeModeReadyState();
    updateBlinkingStates (false);
}

//==============================================================================
bool Kelvanor::loadPatternFromXml (const juce::XmlElement& xml, int index)
{
    if (!IntSeqPlugin::loadPatternFromXml (xml, index))
        return false;

    // Read aside, then put in place: the audio thread never plays a half-read pattern's header.
    Pattern pattern;
    pattern.readXml (xml);

    const juce::ScopedLock sl (patternNamesLock);
    if (!patternNameFits (index, pattern.getName()))
        return false;
    patterns[(size_t) index] = pattern;
    return true;
}

bool Kelvanor::loadPatternsFromXml (const juce::Array<const juce::XmlElement*>& elements)
{
    // Whole or not at all: read one by one, a bank could fit its bound at the end and not half way.
    auto read = std::make_unique<std::array<Pattern, numPatterns>>();
    const int count = juce::jmin (elements.size(), numPatterns);
    for (int i = 0; i < count; ++i)
    {
        if (!IntSeqPlugin::loadPatternFromXml (*elements.getUnchecked (i), i))
            return false;
        (*read)[(size_t) i].readXml (*elements.getUnchecked (i));
    }

    const juce::ScopedLock sl (patternNamesLock);
    size_t bytes = 0;
    for (int i = 0; i < numPatterns; ++i)
        bytes += XmlHelpers::writtenAttributeBytes (i < count ? (*read)[(size_t) i].getName()
                                                              : patterns[(size_t) i].getName());

    if (bytes > maxPatternNameBytes)
        return false;

    for (int i = 0; i < count; ++i)
        patterns[(size_t) i] = (*read)[(size_t) i];
    return true;
}

std::unique_ptr<juce::XmlElement> Kelvanor::createPatternXml (int index) const
{
    auto xml = IntSeqPlugin::createPatternXml (index);

    if (xml != nullptr)
    {
        const juce::ScopedLock sl (patternNamesLock);
        patterns[(size_t) index].writeXml (*xml);
    }

    return xml;
}

juce::String Kelvanor::getExtraPatternBankFileExtension (int index) const
{
    return index == 0 ? ".kl" : juce::String();
}

bool Kelvanor::loadPatternBankFile (const juce::File& file)
{
    if (file.hasFileExtension (".kl"))
        return importTextPatternBank (file);

    return IntSeqPlugin::loadPatternBankFile (file);
}

bool Kelvanor::parseTextPatternBank (const juce::String& text, std::array<Pattern, numPatterns>& result)
{
    // Everything is read before anything is applied: a short or malformed file changes nothing.
    auto parsed = std::make_unique<std::array<Pattern, numPatterns>>();
    IntegerReader reader (text);

    for (int index = 0; index < numPatterns; ++index)
    {
        int header[3];
        for (auto& value : header)
            if (!reader.read (value))
                return false;

        auto& pattern = (*parsed)[(size_t) index];
        pattern.setName ("Pattern " + juce::String (index));
        pattern.setLength (juce::jlimit (1, Pattern::numSteps, header[0]));
        pattern.setTempo (120.0);
        pattern.setShuffle (0);

        for (int stepIndex = 0; stepIndex < Pattern::numSteps; ++stepIndex)
        {
            int fields[9];
            for (auto& value : fields)
                if (!reader.read (value))
                    return false;

            Step step;
            step.note = juce::jlimit (0, 12, fields[0]);
            step.octaveDown = fields[1] != 0 ? 1 : 0;
            step.octaveUp = fields[2] != 0 ? 1 : 0;
            step.gate = fields[3] != 0 ? 1 : 0;
            step.accent = fields[4] != 0 ? 1 : 0;
            step.slide = fields[5] != 0 ? 1 : 0;
            step.gateLevel = textLevel (fields[6]);
            step.accentLevel = textLevel (fields[7]);
            step.slideLevel = textLevel (fields[8]);
            pattern.setStep (stepIndex, step);
        }
    }

    result = *parsed;
    return true;
}

bool Kelvanor::importTextPatternBank (const juce::File& file)
{
    juce::String text;
    if (!BoundedFileReader::readText (file, text))
        return false;

    auto parsed = std::make_unique<std::array<Pattern, numPatterns>>();
    if (!parseTextPatternBank (text, *parsed))
        return false;

    const juce::ScopedLock sl (patternNamesLock);
    for (size_t i = 0; i < patterns.size(); ++i)
        patterns[i] = (*parsed)[i];

    return true;
}
