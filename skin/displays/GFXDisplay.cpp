#include "skin/displays/GFXDisplay.h"

#include "framework/XmlHelpers.h"
#include "skin/source/SkinSource.h"

namespace
{
juce::Colour colourOfHex (const juce::String& text)
{
    return juce::Colour ((juce::uint32) text.getHexValue32());
}

/** An attribute of the "gfx" element, else of the display element itself. */
juce::String fontAttribute (const juce::XmlElement& element, const juce::XmlElement* gfx, const char* name,
                            const juce::String& fallback)
{
    if (gfx != nullptr && gfx->hasAttribute (name))
        return gfx->getStringAttribute (name);
    return element.getStringAttribute (name, fallback);
}
} // namespace

GFXDisplay::GFXDisplay (const juce::String& name)
    : juce::Component (name)
    , outsideClicks ([this] { endEditing(); })
{
    setOpaque (false);
    setWantsKeyboardFocus (false);
}

GFXDisplay::~GFXDisplay()
{
    abandonEditing();
}

void GFXDisplay::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    GUIController::loadFromXml (element, skinSource);
    setText (element.getStringAttribute ("name"));

    setColour (juce::CaretComponent::caretColourId,
               colourOfHex (element.getStringAttribute ("caretColour", "0")));
    setColour (juce::TextEditor::backgroundColourId,
               colourOfHex (element.getStringAttribute ("backgroundColour", "0")));

    if (element.getStringAttribute ("readonly", "no") == "yes")
        setEnabled (false);

    const juce::XmlElement* fontElement = nullptr;
    for (const auto* child : element.getChildIterator())
    {
        if (XmlHelpers::tagIs (*child, "gfx"))
        {
            fontElement = child;
            const auto image = skinSource.getImage (child->getStringAttribute ("resource"));
            if (image.isValid())
                fontImage = image;
        }
        else if (XmlHelpers::tagIs (*child, "pos"))
        {
            setTopLeftPosition (child->getIntAttribute ("left"), child->getIntAttribute ("top"));
        }
        else if (XmlHelpers::tagIs (*child, "size"))
        {
            setSize (juce::jmax (0, child->getIntAttribute ("width")),
                     juce::jmax (0, child->getIntAttribute ("height")));
        }
    }

    const int fontHeight = fontAttribute (element, fontElement, "fontHeight", "0").getIntValue();
    const auto first = fontAttribute (element, fontElement, "firstASCII", " ");
    const int firstASCII = first.isEmpty() ? ' ' : (int) first[0];
    if (fontImage.isValid())
        font = DisplayArithmetic::makeBitmapFont (fontImage.getWidth(), fontImage.getHeight(), fontHeight,
                                                  firstASCII);
    else
        font = DisplayArithmetic::makeBitmapFont (font.glyphWidth, 0, fontHeight, firstASCII);
    repaint();
}

void GFXDisplay::updateFromParameter (Parameter* source)
{
    if (source != nullptr)
        setText (source->getValueText());
}

void GFXDisplay::setText (const juce::String& newText)
{
    text = displayedText = newText;
    caretPos = juce::jlimit (0, text.length(), caretPos);
    repaint();
}

void GFXDisplay::setCentred (bool shouldBeCentred)
{
    centred = shouldBeCentred;
    repaint();
}

void GFXDisplay::setShowCaret (bool shouldShowCaret)
{
    showCaret = shouldShowCaret;
    repaint();
}

//==============================================================================
void GFXDisplay::paint (juce::Graphics& g)
{
    g.fillAll (findColour (juce::TextEditor::backgroundColourId));

    if (!fontImage.isValid() || font.fontHeight < 1)
    {
        g.setColour (juce::Colours::black);
        g.drawText (displayedText, getLocalBounds(), juce::Justification::centredLeft, true);
        return;
    }

    const int cells = DisplayArithmetic::cellCount (getWidth(), font.glyphWidth);
    const int x0 = (getWidth() - cells * font.glyphWidth) / 2;
    const int y0 = (getHeight() - font.fontHeight) / 2;
    const int length = displayedText.length();
    const int first = DisplayArithmetic::firstShownCharacter (scrollOffset, centred, cells, length);
    const bool caretShown = editing && caretVisible && showCaret;

    for (int cell = 0; cell < cells; ++cell)
    {
        const int index = first + cell;
        const auto character = (index >= 0 && index < length) ? displayedText[index] : (juce::juce_wchar) ' ';
        const auto source = DisplayArithmetic::glyphSource (
            font, DisplayArithmetic::glyphIndex (font, character), caretShown && index == caretPos);
        g.drawImage (fontImage, x0 + cell * font.glyphWidth, y0, font.glyphWidth, font.fontHeight,
                     source.getX(), source.getY(), source.getWidth(), source.getHeight());
    }
}

//==============================================================================
void GFXDisplay::mouseDown (const juce::MouseEvent&)
{
    if (!isEnabled())
        return;
    setWantsKeyboardFocus (true);
    beginEditing();
}

void GFXDisplay::beginEditing()
{
    if (!editing)
    {
        editing = true;
        savedText = text;
        scrollOffset = 0;
        caretPos = text.length();
        editRoot = getTopLevelComponent();
        outsideClicks.watch (*this);
        caretMoved();
    }

    // Explicitly: a plug-in window does not pass the focus on to the display under the mouse by itself.
    setWantsKeyboardFocus (true);
    if (!hasKeyboardFocus (false))
        grabKeyboardFocus();
}

void GFXDisplay::caretMoved()
{
    caretPos = juce::jlimit (0, text.length(), caretPos);
    displayedText = text;
    scrollOffset = DisplayArithmetic::adjustScroll (
        scrollOffset, caretPos, DisplayArithmetic::cellCount (getWidth(), font.glyphWidth), text.length());
    caretVisible = true;
    startTimer (caretPeriodMs);
    repaint();
}

bool GFXDisplay::keyPressed (const juce::KeyPress& key)
{
    if (!editing)
        return true;

    const auto modifiers = key.getModifiers();
    const bool plain = !modifiers.isShiftDown() && !modifiers.isCtrlDown() && !modifiers.isAltDown() &&
                       !modifiers.isCommandDown();
    const int code = key.getKeyCode();

    if (plain && code == juce::KeyPress::returnKey)
    {
        endEditing();
        return true;
    }
    if (plain && code == juce::KeyPress::escapeKey)
    {
        setText (savedText);
        endEditing();
        return true;
    }

    if (plain && code == juce::KeyPress::backspaceKey)
    {
        if (caretPos > 0)
        {
            text = text.substring (0, caretPos - 1) + text.substring (caretPos);
            --caretPos;
        }
    }
    else if (plain && code == juce::KeyPress::deleteKey)
        text = text.substring (0, caretPos) + text.substring (caretPos + 1);
    else if (plain && code == juce::KeyPress::homeKey)
        caretPos = 0;
    else if (plain && code == juce::KeyPress::endKey)
        caretPos = text.length();
    else if (plain && code == juce::KeyPress::leftKey)
        --caretPos;
    else if (plain && code == juce::KeyPress::rightKey)
        ++caretPos;
    else if (!modifiers.isCtrlDown() && !modifiers.isAltDown() && !modifiers.isCommandDown())
    {
        // The character the key types, never its key code: key codes differ between platforms.
        const auto character = key.getTextCharacter();
        if ((int) character >= font.firstASCII && (int) character <= font.lastASCII)
        {
            text = text.substring (0, caretPos) + juce::String::charToString (character) +
                   text.substring (caretPos);
            ++caretPos;
        }
    }

    caretMoved();
    return true;
}

void GFXDisplay::focusGained (FocusChangeType cause)
{
    if (editing)
        return;

    if (getWantsKeyboardFocus() && cause != focusChangedByTabKey)
        beginEditing();
    else
        moveKeyboardFocusToSibling (true);
}

void GFXDisplay::focusLost (FocusChangeType)
{
    endEditing();
}

void GFXDisplay::endEditing()
{
    if (!editing)
        return;

    abandonEditing();
    caretPos = 0;
    scrollOffset = 0;
    setWantsKeyboardFocus (false);
    if (hasKeyboardFocus (true))
        giveAwayKeyboardFocus();
    repaint();

    // Last: a listener may rebuild the panel and delete this display.
    if (text != savedText)
    {
        savedText = text;
        displayListeners.call (*this, [this] (GFXDisplayListener& l) { l.displayTextEdited (this); });
    }
}

void GFXDisplay::abandonEditing()
{
    editing = false;
    caretVisible = false;
    editRoot = nullptr;
    outsideClicks.stop();
    stopTimer();
}

void GFXDisplay::parentHierarchyChanged()
{
    if (editing && getTopLevelComponent() != editRoot)
        abandonEditing();
}

void GFXDisplay::timerCallback()
{
    caretTick();
}

void GFXDisplay::caretTick()
{
    if (!editing)
    {
        stopTimer();
        return;
    }
    caretVisible = !caretVisible;
    repaint();
}

void GFXDisplay::blinkStateChanged()
{
    displayedText = isInBlinkOnPhase() ? juce::String() : text;
    repaint();
}

//==============================================================================
void GFXDisplayFloat::updateFromParameter (Parameter* source)
{
    if (source != nullptr)
        setText (DisplayArithmetic::floatDisplayText (
            source->getValue(), DisplayArithmetic::cellCount (getWidth(), getFont().glyphWidth)));
}
