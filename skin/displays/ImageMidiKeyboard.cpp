#include "skin/displays/ImageMidiKeyboard.h"

#include "framework/XmlHelpers.h"
#include "skin/controller/FilmStrip.h"
#include "skin/source/SkinSource.h"

namespace
{
// Every channel of the state counts: the processor and the host may play on any.
constexpr int allChannels = 0xffff;
} // namespace

ImageMidiKeyboard::ImageMidiKeyboard (const juce::String& name, juce::MidiKeyboardState& keyboardState)
    : juce::Component (name)
    , state (keyboardState)
{
    for (int n = 0; n < 128; ++n)
        keys[(size_t) n].note = n;
    setOpaque (false);
    state.addListener (this);
}

ImageMidiKeyboard::~ImageMidiKeyboard()
{
    stopTimer();
    state.removeListener (this);
    releaseMouseNote();
}

void ImageMidiKeyboard::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    GUIController::loadFromXml (element, skinSource);
    if (!XmlHelpers::tagIs (element, "MidiKeyboard"))
        return;

    juce::Rectangle<int> bounds;
    if (const auto* size = XmlHelpers::findChild (element, "size"))
        bounds.setSize (juce::jmax (0, size->getIntAttribute ("width")),
                        juce::jmax (0, size->getIntAttribute ("height")));
    if (const auto* pos = XmlHelpers::findChild (element, "pos"))
        bounds.setPosition (pos->getIntAttribute ("left"), pos->getIntAttribute ("top"));

    if (element.hasAttribute ("firstKey") && element.hasAttribute ("lastKey"))
        setAvailableRange (element.getIntAttribute ("firstKey"), element.getIntAttribute ("lastKey"));

    if (const auto* keyList = XmlHelpers::findChild (element, "Keys"))
    {
        int note = lowestNote;
        for (const auto* keyElement : keyList->getChildIterator())
        {
            if (note > 127)
                break;
            if (!XmlHelpers::tagIs (*keyElement, "Key"))
                continue;

            auto& key = keys[(size_t) note++];
            key.leftNeighbours =
                juce::jlimit (0, DisplayArithmetic::maxKeyNeighbours, keyElement->getIntAttribute ("left"));
            key.rightNeighbours =
                juce::jlimit (0, DisplayArithmetic::maxKeyNeighbours, keyElement->getIntAttribute ("right"));

            if (const auto* gfx = XmlHelpers::findChild (*keyElement, "gfx"))
            {
                const auto image = skinSource.getImage (gfx->getStringAttribute ("resource"));
                if (image.isValid())
                {
                    key.image = image;
                    key.framesNum = FilmStrip::safeCount (gfx->getIntAttribute ("framesNum", 1));
                    key.downOffset = key.framesNum / 2;
                    key.width = image.getWidth();
                    key.height = FilmStrip::frameHeightOf (image.getHeight(), key.framesNum);
                }
            }
            if (const auto* size = XmlHelpers::findChild (*keyElement, "size"))
            {
                key.width = juce::jmax (0, size->getIntAttribute ("width"));
                key.height = juce::jmax (0, size->getIntAttribute ("height"));
            }
            if (const auto* pos = XmlHelpers::findChild (*keyElement, "pos"))
            {
                key.x = pos->getIntAttribute ("left") - bounds.getX();
                key.y = pos->getIntAttribute ("top") - bounds.getY();
            }
        }
    }

    setBounds (bounds);
    updateFromKeyboardState();
    for (int n = 0; n < 128; ++n)
        refreshFramesAround (n);
    repaint();
}

void ImageMidiKeyboard::setAvailableRange (int lowest, int highest)
{
    lowest = juce::jlimit (0, 127, lowest);
    highest = juce::jlimit (0, 127, highest);
    if (lowest > highest)
        return;
    lowestNote = lowest;
    highestNote = highest;
    updateFromKeyboardState();
    repaint();
}

juce::Rectangle<int> ImageMidiKeyboard::getKeyBounds (int note) const
{
    if (note < lowestNote || note > highestNote)
        return {};

    const auto& key = keys[(size_t) note];
    if (key.image.isValid())
        return {key.x, key.y, key.width, key.height};
    return DisplayArithmetic::defaultKeyBounds (note, lowestNote, highestNote, (float) getWidth(),
                                                (float) getHeight())
        .getSmallestIntegerContainer();
}

int ImageMidiKeyboard::getNoteAt (juce::Point<float> position) const
{
    const auto point = position.toInt();
    for (const bool black : {true, false})
        for (int n = lowestNote; n <= highestNote; ++n)
            if (DisplayArithmetic::isBlackKey (n) == black && getKeyBounds (n).contains (point))
                return n;
    return -1;
}

bool ImageMidiKeyboard::isNoteOnInState (int note) const
{
    return state.isNoteOnForChannels (allChannels, note);
}

//==============================================================================
void ImageMidiKeyboard::setKeyDown (int note, bool down)
{
    if (note < 0 || note > 127 || keys[(size_t) note].down == down)
        return;
    keys[(size_t) note].down = down;
    if (!keys[(size_t) note].image.isValid())
        repaint (getKeyBounds (note));
    refreshFramesAround (note);
}

void ImageMidiKeyboard::refreshFramesAround (int changedNote)
{
    std::array<bool, 128> held{};
    for (size_t n = 0; n < held.size(); ++n)
        held[n] = keys[n].down;

    const int reach = DisplayArithmetic::maxKeyNeighbours;
    for (int n = juce::jmax (0, changedNote - reach); n <= juce::jmin (127, changedNote + reach); ++n)
    {
        auto& key = keys[(size_t) n];
        if (!key.image.isValid() ||
            !DisplayArithmetic::keyDependsOn (n, key.leftNeighbours, key.rightNeighbours, changedNote))
            continue;

        const int frame =
            DisplayArithmetic::keyFrame (n, key.leftNeighbours, key.rightNeighbours, key.framesNum, held);
        if (frame == key.frame)
            continue;
        key.frame = frame;
        const auto area = getKeyBounds (n).getIntersection (getLocalBounds());
        if (!area.isEmpty())
            repaint (area);
    }
}

void ImageMidiKeyboard::updateFromKeyboardState()
{
    // Keys outside the range are not shown, so they never count as held neighbours either.
    for (int n = 0; n < 128; ++n)
        setKeyDown (n, n >= lowestNote && n <= highestNote && isNoteOnInState (n));
}

void ImageMidiKeyboard::handleNoteOn (juce::MidiKeyboardState*, int, int, float)
{
    stateChanged.store (true, std::memory_order_relaxed);
}

void ImageMidiKeyboard::handleNoteOff (juce::MidiKeyboardState*, int, int, float)
{
    stateChanged.store (true, std::memory_order_relaxed);
}

void ImageMidiKeyboard::timerCallback()
{
    if (stateChanged.exchange (false, std::memory_order_relaxed))
        updateFromKeyboardState();
}

void ImageMidiKeyboard::updatePolling()
{
    // Polls only while someone can see it; a hidden editor costs nothing.
    if (isShowing())
    {
        if (!isTimerRunning())
        {
            stateChanged.store (true, std::memory_order_relaxed);
            startTimer (statePollMs);
        }
    }
    else
    {
        stopTimer();
    }
}

void ImageMidiKeyboard::visibilityChanged()
{
    updatePolling();
}

void ImageMidiKeyboard::parentHierarchyChanged()
{
    updatePolling();
}

//==============================================================================
void ImageMidiKeyboard::paint (juce::Graphics& g)
{
    for (const bool black : {false, true})
    {
        for (int n = lowestNote; n <= highestNote; ++n)
        {
            if (DisplayArithmetic::isBlackKey (n) != black)
                continue;

            const auto& key = keys[(size_t) n];
            const auto area = getKeyBounds (n);
            if (key.image.isValid())
            {
                FilmStrip::drawFrame (g, key.image, key.frame, key.framesNum, area);
                continue;
            }

            if (black)
            {
                g.setColour (key.down ? juce::Colours::darkgrey : juce::Colours::black);
                g.fillRect (area);
            }
            else
            {
                g.setColour (key.down ? juce::Colours::lightblue : juce::Colours::white);
                g.fillRect (area);
                g.setColour (juce::Colours::black);
                g.drawRect (area, 1);
            }
        }
    }
}

void ImageMidiKeyboard::pressMouseNote (int note)
{
    if (note == mouseNote)
        return;
    releaseMouseNote();
    if (note < 0)
        return;

    mouseNote = note;
    state.noteOn (midiChannel, note, 1.0f);
    setKeyDown (note, true);
}

void ImageMidiKeyboard::releaseMouseNote()
{
    if (mouseNote < 0)
        return;

    const int note = mouseNote;
    mouseNote = -1;
    state.noteOff (midiChannel, note, 0.0f);
    setKeyDown (note, isNoteOnInState (note));
}

void ImageMidiKeyboard::mouseDown (const juce::MouseEvent& e)
{
    pressMouseNote (getNoteAt (e.position));
}

void ImageMidiKeyboard::mouseDrag (const juce::MouseEvent& e)
{
    pressMouseNote (getNoteAt (e.position));
}

void ImageMidiKeyboard::mouseUp (const juce::MouseEvent&)
{
    releaseMouseNote();
}
