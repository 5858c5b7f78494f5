#include "skin/displays/NoteDisplay.h"

#include "framework/NoteNames.h"
#include "framework/XmlHelpers.h"
#include "skin/controller/FilmStrip.h"
#include "skin/source/SkinSource.h"

NoteDisplay::NoteDisplay (const juce::String& name)
    : juce::Component (name)
{
    parts.fill ({0, 0, 10, 16});
    DisplayArithmetic::layOutNoteParts (parts);
}

NoteDisplay::~NoteDisplay()
{
    // Torn down mid-drag: the host's edit still ends.
    endDragGesture();
}

void NoteDisplay::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    GUIController::loadFromXml (element, skinSource);
    if (!XmlHelpers::tagIs (element, "NoteDisplay"))
        return;

    if (const auto* size = XmlHelpers::findChild (element, "size"))
    {
        const int partWidth = FilmStrip::safeCount (size->getIntAttribute ("width") / 3);
        const int partHeight = FilmStrip::safeCount (size->getIntAttribute ("height"));
        parts.fill ({0, 0, partWidth, partHeight});
    }

    static constexpr const char* partTags[] = {"notes", "tones", "octaves"};
    if (const auto* gfx = XmlHelpers::findChild (element, "gfx"))
    {
        for (size_t i = 0; i < parts.size(); ++i)
        {
            const auto* partElement = XmlHelpers::findChild (*gfx, partTags[i]);
            if (partElement == nullptr)
                continue;
            const auto image = skinSource.getImage (partElement->getStringAttribute ("resource"));
            if (!image.isValid())
                continue;
            images[i] = image;
            parts[i].setSize (image.getWidth(),
                              FilmStrip::frameHeightOf (image.getHeight(), partFramesNum[i]));
        }
    }

    const auto size = DisplayArithmetic::layOutNoteParts (parts);
    int left = 0, top = 0;
    if (const auto* pos = XmlHelpers::findChild (element, "pos"))
    {
        left = pos->getIntAttribute ("left");
        top = pos->getIntAttribute ("top");
    }
    setBounds (left, top, size.x, size.y);
    repaint();
}

void NoteDisplay::updateFromParameter (Parameter* source)
{
    if (source == nullptr)
        return;

    const int newNote = juce::jlimit (0, 127, source->getValueInt());
    if (newNote != note)
    {
        note = newNote;
        repaint();
    }
}

DisplayArithmetic::NoteFrames NoteDisplay::getShownFrames() const
{
    return DisplayArithmetic::noteFrames (note, !isEnabled() || isInBlinkOnPhase());
}

void NoteDisplay::paint (juce::Graphics& g)
{
    const auto frames = getShownFrames();
    const std::array<int, 3> frameOf{frames.letter, frames.accidental, frames.octave};
    const bool blank = frames.letter == 0;
    const std::array<juce::String, 3> texts{getNoteLetter (note), isNaturalNote (note) ? "-" : "#",
                                            juce::String (note / 12)};

    for (size_t i = 0; i < parts.size(); ++i)
    {
        if (images[i].isValid())
        {
            FilmStrip::drawFrame (g, images[i], frameOf[i], partFramesNum[i], parts[i]);
            continue;
        }

        g.setColour (juce::Colours::white);
        g.fillRect (parts[i]);
        if (!blank)
        {
            g.setColour (juce::Colours::black);
            g.setFont (juce::Font ((float) juce::jmax (1, parts[i].getHeight())));
            g.drawFittedText (texts[i], parts[i], juce::Justification::centred, 1, 0.7f);
        }
    }
}

void NoteDisplay::mouseDown (const juce::MouseEvent&)
{
    if (!interactive)
        return;

    if (isConnected())
        beginDragGesture();
    dragStartNote = note;
    dragging = true;
}

void NoteDisplay::mouseDrag (const juce::MouseEvent& e)
{
    if (!dragging)
        return;

    const int newNote =
        DisplayArithmetic::noteAfterDrag (dragStartNote, (float) e.getDistanceFromDragStartY());
    if (newNote == note)
        return;

    note = newNote;
    if (isConnected())
    {
        getParameter()->setValueInt (note, true);
        sendValueChanged();
    }
    repaint();
}

void NoteDisplay::mouseUp (const juce::MouseEvent&)
{
    endDragGesture();
    dragging = false;
}
