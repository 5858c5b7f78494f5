#include "skin/displays/TextInput.h"

#include "framework/XmlHelpers.h"
#include "skin/source/SkinSource.h"

namespace
{
// The field's colours, in the order the editor takes them over.
constexpr int copiedColourIds[] = {juce::TextEditor::textColourId, juce::TextEditor::highlightColourId,
                                   juce::TextEditor::highlightedTextColourId,
                                   juce::CaretComponent::caretColourId};

// The field draws its own background and frame: the editor over it draws none.
constexpr int editorTransparentIds[] = {
    juce::TextEditor::backgroundColourId, juce::TextEditor::outlineColourId,
    juce::TextEditor::focusedOutlineColourId, juce::TextEditor::shadowColourId};

const struct
{
    const char* attribute;
    int colourId;
} skinColours[] = {
    {"textColour", juce::TextEditor::textColourId},
    {"highlightedTextColour", juce::TextEditor::highlightedTextColourId},
    {"caretColour", juce::CaretComponent::caretColourId},
    {"backgroundColour", juce::TextEditor::backgroundColourId},
    {"highlightColour", juce::TextEditor::highlightColourId},
    {"outlineColour", juce::TextEditor::outlineColourId},
    {"focusedOutlineColour", juce::TextEditor::focusedOutlineColourId},
};
} // namespace

TextInput::TextInput (const juce::String& name)
    : juce::Component (name)
    , font ("Tahoma", 13.0f, juce::Font::plain)
{
    setColour (juce::TextEditor::backgroundColourId, juce::Colour (0xffe3e3e3));
    setColour (juce::TextEditor::textColourId, juce::Colours::black);
    setColour (juce::TextEditor::highlightColourId, juce::Colour (0x401111ee));
    setColour (juce::TextEditor::highlightedTextColourId, juce::Colours::black);
    setColour (juce::TextEditor::outlineColourId, juce::Colours::white);
    setColour (juce::TextEditor::focusedOutlineColourId, juce::Colours::cornflowerblue.withAlpha (0.75f));
}

TextInput::~TextInput()
{
    if (editor != nullptr)
        editor->removeModalListener (this);
}

void TextInput::loadFromXml (const juce::XmlElement& element, SkinSource& skinSource)
{
    GUIController::loadFromXml (element, skinSource);
    setText (element.getStringAttribute ("name"));

    const auto editable = element.getStringAttribute ("editable");
    if (editable == "no")
    {
        editOnClick = editOnDoubleClick = false;
        setInterceptsMouseClicks (false, false);
    }
    else if (editable == "onClick" || editable == "onDoubleClick")
    {
        editOnClick = editable == "onClick";
        editOnDoubleClick = !editOnClick;
        setInterceptsMouseClicks (true, true);
    }

    if (const auto* fontElement = XmlHelpers::findChild (element, "font"))
    {
        const auto style =
            fontElement->getStringAttribute ("style") == "bold" ? juce::Font::bold : juce::Font::plain;
        juce::Font newFont (fontElement->getStringAttribute ("name"),
                            (float) XmlHelpers::getFiniteDouble (*fontElement, "height", 0.0), style);
        newFont.setExtraKerningFactor (
            (float) XmlHelpers::getFiniteDouble (*fontElement, "extraKerning", 0.0));
        setFont (newFont);
    }

    for (const auto& colour : skinColours)
        if (element.hasAttribute (colour.attribute))
            setColour (
                colour.colourId,
                juce::Colour ((juce::uint32) element.getStringAttribute (colour.attribute).getHexValue32()));

    auto bounds = getBounds();
    if (const auto* pos = XmlHelpers::findChild (element, "pos"))
        bounds.setPosition (pos->getIntAttribute ("left"), pos->getIntAttribute ("top"));
    if (const auto* size = XmlHelpers::findChild (element, "size"))
        bounds.setSize (juce::jmax (0, size->getIntAttribute ("width")),
                        juce::jmax (0, size->getIntAttribute ("height")));
    setBounds (bounds);
}

void TextInput::updateFromParameter (Parameter* source)
{
    if (source != nullptr)
        setText (source->getValueText());
}

void TextInput::setText (const juce::String& newText)
{
    const auto bounded = newText.length() > maxTextLength ? newText.substring (0, maxTextLength) : newText;
    if (bounded == text)
        return;
    text = bounded;
    if (editor != nullptr)
        editor->setText (text, false);
    repaint();
}

void TextInput::setFont (const juce::Font& newFont)
{
    if (newFont == font)
        return;
    font = newFont;
    if (editor != nullptr)
    {
        editor->applyFontToAllText (font, true);
        applyIndents();
    }
    repaint();
}

void TextInput::setIndent (int newIndent)
{
    indent = newIndent;
    applyIndents();
    repaint();
}

void TextInput::setExtraIndent (int newExtraIndent)
{
    extraIndent = newExtraIndent;
    applyIndents();
    repaint();
}

void TextInput::setJustification (juce::Justification newJustification)
{
    justification = newJustification;
    if (editor != nullptr)
        editor->setJustification (justification);
    repaint();
}

void TextInput::addTextEditorListener (juce::TextEditor::Listener* listener)
{
    if (listener == nullptr || pendingListeners.contains (listener))
        return;
    pendingListeners.add (listener);
    if (editor != nullptr)
        editor->addListener (listener);
}

//==============================================================================
void TextInput::showEditor()
{
    if (!isEnabled())
        return;

    if (editor == nullptr)
    {
        editor = std::make_unique<ModalTextEditor> (getName());
        editor->addModalListener (this);
        editor->setBounds (getLocalBounds());
        editor->setJustification (justification);
        editor->setInputRestrictions (maxTextLength);
        copyLookToEditor();
        for (auto* listener : pendingListeners)
            editor->addListener (listener);
        addChildComponent (*editor);
    }

    editor->setText (text, false);
    editor->selectAll();
    editor->setVisible (true);
    editor->beginEditing();
    repaint();
}

void TextInput::copyLookToEditor()
{
    if (editor == nullptr)
        return;

    for (const int id : copiedColourIds)
        editor->setColour (id, findColour (id));
    for (const int id : editorTransparentIds)
        editor->setColour (id, juce::Colours::transparentBlack);
    editor->applyFontToAllText (font, true);
    applyIndents();
}

void TextInput::applyIndents()
{
    if (editor != nullptr)
        editor->setIndents (indent + extraIndent - 1,
                            juce::jmax (0, (getHeight() - juce::roundToInt (font.getHeight())) / 2));
}

void TextInput::modalTextChanged (ModalTextEditor* source)
{
    setText (source->getText());
}

void TextInput::modalTextCommitted (ModalTextEditor* source)
{
    // The editor reports typing asynchronously; the committed text is the editor's as it stands now.
    setText (source->getText());
    if (isConnected())
        getParameter()->setValueText (text, true);
    sendValueChanged();
}

void TextInput::modalEditingFinished (ModalTextEditor* source)
{
    source->setVisible (false);
    repaint();
}

//==============================================================================
void TextInput::paint (juce::Graphics& g)
{
    const bool editing = isEditing();
    const auto background = findColour (juce::TextEditor::backgroundColourId);
    const auto outline =
        findColour (editing ? juce::TextEditor::focusedOutlineColourId : juce::TextEditor::outlineColourId);
    const bool drawBackground = !background.isTransparent();
    const bool drawOutline = !outline.isTransparent();
    const auto area = getLocalBounds().toFloat();

    if (drawBackground)
    {
        g.setColour (background);
        g.fillRoundedRectangle (area, 3.5f);
    }
    if (drawOutline)
    {
        g.setColour (outline);
        g.drawRoundedRectangle (area.reduced (0.5f), drawBackground ? 3.5f : 4.0f, 1.0f);
    }

    if (editing)
        return;

    g.setColour (findColour (juce::TextEditor::textColourId));
    g.setFont (font);
    g.drawText (text, getLocalBounds().reduced (indent, 0), justification, false);
}

void TextInput::resized()
{
    if (editor != nullptr)
    {
        editor->setBounds (getLocalBounds());
        applyIndents();
    }
}

void TextInput::colourChanged()
{
    copyLookToEditor();
    repaint();
}

void TextInput::mouseDown (const juce::MouseEvent&)
{
    if (editOnClick)
        showEditor();
}

void TextInput::mouseDoubleClick (const juce::MouseEvent&)
{
    if (editOnDoubleClick)
        showEditor();
}
