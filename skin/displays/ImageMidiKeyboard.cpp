#include "skin/displays/ImageMidiKeyboard.h"

#include "framework/XmlHelpers.h"
#include "skin/controller/FilmStrip.h"
#include "skin/displays/DisplayArithmetic.h"
#include "skin/source/SkinSource.h"

ImageMidiKeyboard::ImageMidiKeyboard (const juce::String& name, juce::MidiKeyboardState& stateToPlay)
    : juce::MidiKeyboardComponent (stateToPlay, horizontalKeyboard)
    , keyboardState (stateToPlay)
{
    setName (name);
    for (int n = 0; n < 128; ++n)
        keys[(size_t) n].note = n;
    keyboardState.addListener (&watcher);
}

ImageMidiKeyboard::~ImageMidiKeyboard()
{
    keyboardState.removeListener (&watcher);

    // JUCE lets go of the keys the mouse holds when the keyboard loses the focus, not when it goes away: a
    // keyboard destroyed with a key down (a skin change) would leave the note hanging in the processor.
    juce::MidiKeyboardComponent::focusLost (focusChangedDirectly);
}

void ImageMidiKeyboard::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    GUIController::loadFromXml (element, skinSource);
    if (!XmlHelpers::tagIs (element, "MidiKeyboard"))
        return;

    juce::Rectangle<int> area;
    if (const auto* size = XmlHelpers::findChild (element, "size"))
        area.setSize (juce::jmax (0, size->getIntAttribute ("width")),
                      juce::jmax (0, size->getIntAttribute ("height")));
    if (const auto* pos = XmlHelpers::findChild (element, "pos"))
        area.setPosition (pos->getIntAttribute ("left"), pos->getIntAttribute ("top"));

    if (element.hasAttribute ("firstKey") && element.hasAttribute ("lastKey"))
    {
        // JUCE only asserts on a range outside 0..127 or the wrong way round; a skin's is clamped or refused.
        const int first = juce::jlimit (0, 127, element.getIntAttribute ("firstKey"));
        const int last = juce::jlimit (0, 127, element.getIntAttribute ("lastKey"));
        if (first <= last)
            setAvailableRange (first, last);
    }

    if (const auto* keyList = XmlHelpers::findChild (element, "Keys"))
    {
        int note = getRangeStart();
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
                key.x = pos->getIntAttribute ("left") - area.getX();
                key.y = pos->getIntAttribute ("top") - area.getY();
            }
        }
    }

    setBounds (area);

    // Keys outside the range are not shown, so they never count as held neighbours either; those within
    // it follow the state from the next tick.
    for (int n = 0; n < 128; ++n)
        if (n < getRangeStart() || n > getRangeEnd())
            setKeyDown (n, false);
    for (int n = 0; n < 128; ++n)
        refreshFramesAround (n);
    watcher.changed = true;
    repaint();
}

bool ImageMidiKeyboard::isImaged (int note) const noexcept
{
    return note >= 0 && note <= 127 && keys[(size_t) note].image.isValid();
}

juce::Rectangle<int> ImageMidiKeyboard::getKeyBounds (int note) const
{
    if (note < getRangeStart() || note > getRangeEnd())
        return {};

    if (!isImaged (note))
        return getRectangleForKey (note).getSmallestIntegerContainer();

    // Scrolled with the rest of the keyboard: the lowest key of the range starts where JUCE scrolled it to.
    const auto& key = keys[(size_t) note];
    const int scroll = juce::roundToInt (getKeyStartPosition (getRangeStart()));
    return {key.x + scroll, key.y, key.width, key.height};
}

//==============================================================================
void ImageMidiKeyboard::setKeyDown (int note, bool down)
{
    if (note < 0 || note > 127 || keys[(size_t) note].down == down)
        return;
    keys[(size_t) note].down = down;
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
        const auto dirty = getKeyBounds (n).getIntersection (getLocalBounds());
        if (!dirty.isEmpty())
            repaint (dirty);
    }
}

void ImageMidiKeyboard::timerCallback()
{
    if (watcher.changed.exchange (false))
        for (int n = getRangeStart(); n <= getRangeEnd(); ++n)
            setKeyDown (n, keyboardState.isNoteOnForChannels (getMidiChannelsToDisplay(), n));

    juce::MidiKeyboardComponent::timerCallback();
}

bool ImageMidiKeyboard::mouseDownOnKey (int midiNoteNumber, const juce::MouseEvent&)
{
    setKeyDown (midiNoteNumber, true);
    return true;
}

bool ImageMidiKeyboard::mouseDraggedToKey (int midiNoteNumber, const juce::MouseEvent&)
{
    setKeyDown (midiNoteNumber, true);
    return true;
}

//==============================================================================
juce::Range<float> ImageMidiKeyboard::getKeyPosition (int midiNoteNumber, float widthOfKey) const
{
    if (!isImaged (midiNoteNumber))
        return juce::MidiKeyboardComponent::getKeyPosition (midiNoteNumber, widthOfKey);

    // JUCE measures every key from the start of the range's lowest key and always puts that key at the
    // keyboard's edge. So an imaged key lies its own x beyond JUCE's start of the lowest key, and the lowest
    // key, when imaged, reaches back to the edge.
    const float origin = juce::MidiKeyboardComponent::getKeyPosition (getRangeStart(), widthOfKey).getStart();
    const auto& key = keys[(size_t) midiNoteNumber];
    const float start = origin + (float) key.x;
    return {midiNoteNumber == getRangeStart() ? origin : start, start + (float) key.width};
}

void ImageMidiKeyboard::drawKeyImage (int note, juce::Graphics& g) const
{
    // JUCE draws images with the opacity of the colour last set, which its background leaves translucent.
    g.setOpacity (1.0f);
    const auto& key = keys[(size_t) note];
    FilmStrip::drawFrame (g, key.image, key.frame, key.framesNum, getKeyBounds (note));
}

void ImageMidiKeyboard::drawWhiteNote (int midiNoteNumber, juce::Graphics& g, juce::Rectangle<float> area,
                                       bool isDown, bool isOver, juce::Colour lineColour,
                                       juce::Colour textColour)
{
    if (!isImaged (midiNoteNumber))
    {
        juce::MidiKeyboardComponent::drawWhiteNote (midiNoteNumber, g, area, isDown, isOver, lineColour,
                                                    textColour);
        return;
    }
    drawKeyImage (midiNoteNumber, g);
}

void ImageMidiKeyboard::drawBlackNote (int midiNoteNumber, juce::Graphics& g, juce::Rectangle<float> area,
                                       bool isDown, bool isOver, juce::Colour noteFillColour)
{
    if (!isImaged (midiNoteNumber))
    {
        juce::MidiKeyboardComponent::drawBlackNote (midiNoteNumber, g, area, isDown, isOver, noteFillColour);
        return;
    }
    drawKeyImage (midiNoteNumber, g);
}
