#include "editor/AboutWindow.h"

#include "framework/BasePlugin.h"
#include "skin/lookandfeel/DefaultLookAndFeel.h"
#include "skin/windows/LookAndFeelColour.h"

#include <dlfcn.h>

namespace
{
// Any object inside this library: its address tells which file the code was loaded from.
const char libraryMarker = 0;
} // namespace

CreditsText::CreditsText (const juce::String& text)
{
    label.setText (text, juce::dontSendNotification);
    label.setColour (juce::Label::textColourId, juce::Colours::white);
    label.setColour (juce::Label::backgroundColourId, juce::Colours::black);
    label.setFont (juce::Font ("Tahoma", 13.0f, juce::Font::plain));
    label.setJustificationType (juce::Justification::centredTop);
    label.setInterceptsMouseClicks (false, false);
    numLines = text.isEmpty() ? 0 : juce::StringArray::fromLines (text).size();
    addAndMakeVisible (label);
}

void CreditsText::addListener (Listener* l)
{
    listeners.add (l);
}

void CreditsText::removeListener (Listener* l)
{
    listeners.remove (l);
}

void CreditsText::resized()
{
    label.setBounds (0, getHeight() + 5, getWidth(),
                     juce::roundToInt (numLines * label.getFont().getHeight()));
}

void CreditsText::timerCallback()
{
    label.setTopLeftPosition (label.getX(), label.getY() - 1);
    if (label.getBottom() < 0)
        label.setTopLeftPosition (label.getX(), getHeight() + 5);
}

void CreditsText::mouseDown (const juce::MouseEvent&)
{
    listeners.call ([this] (Listener& l) { l.creditsTextClicked (this); });
}

AboutWindow::AboutWindow (BasePlugin& p)
    : plugin (p)
    , credits (juce::String())
{
    link =
        std::make_unique<juce::HyperlinkButton> (plugin.getWebAddress(), juce::URL (plugin.getWebAddress()));
    link->setWantsKeyboardFocus (false);
    addAndMakeVisible (*link);
    // This system's about box has no credits: they exist for the listener and stay hidden.
    credits.addListener (this);
    addChildComponent (credits);
    setHasTitleBar (false);
    setIcon (nullptr);
    lookAndFeelChanged();
}

AboutWindow::~AboutWindow()
{
    credits.removeListener (this);
}

juce::File AboutWindow::getLibraryFile()
{
    Dl_info info{};
    if (dladdr (&libraryMarker, &info) != 0 && info.dli_fname != nullptr)
    {
        const juce::String name (juce::CharPointer_UTF8 (info.dli_fname));
        if (juce::File::isAbsolutePath (name))
            return juce::File (name);
    }
    // dladdr names the main program as it was started; ask the system for its full path then.
    return juce::File::getSpecialLocation (juce::File::currentExecutableFile);
}

juce::StringArray AboutWindow::getTexts() const
{
    return {plugin.getName().toUpperCase(),
            plugin.getDescription(),
            plugin.getPluginFormat() + " " + plugin.getArchitecture(),
            "Version " + plugin.getVersion(),
            "Build info:  " + plugin.getBuildCode() + "  " + plugin.getBuildDate(),
            getLibraryFile().getFullPathName()};
}

void AboutWindow::close()
{
    hideWindow();
}

void AboutWindow::mouseDown (const juce::MouseEvent&)
{
    close();
}

void AboutWindow::creditsTextClicked (CreditsText*)
{
    close();
}

juce::Font AboutWindow::font (float height, bool bold) const
{
    return juce::Font ("Tahoma", height, bold ? juce::Font::bold : juce::Font::plain);
}

void AboutWindow::lookAndFeelChanged()
{
    WindowComponent::lookAndFeelChanged();
    if (auto* lf = dynamic_cast<DefaultLookAndFeel*> (&getLookAndFeel()))
    {
        setColour (LookAndFeelColourIds::windowBackground,
                   lf->findColour (LookAndFeelColourIds::aboutBackground));
        setColour (LookAndFeelColourIds::windowTitleBar,
                   lf->findColour (LookAndFeelColourIds::aboutTitleBar));
        link->setColour (juce::HyperlinkButton::textColourId,
                         lf->findColour (LookAndFeelColourIds::aboutLink));
        linkFont = lf->getDefaultFont().withStyle (juce::Font::underlined);
        link->setFont (linkFont, false);
    }
    resized();
    repaint();
}

void AboutWindow::resized()
{
    WindowComponent::resized();
    const auto content = getContentArea();
    logoArea = {content.getX(), content.getY(), content.getWidth() / 2 - 4, 54};
    infoArea = juce::Rectangle<int>::leftTopRightBottom (logoArea.getRight() + 8, content.getY(),
                                                         content.getRight(), logoArea.getBottom());
    textArea = juce::Rectangle<int>::leftTopRightBottom (content.getX(), logoArea.getBottom() + 8,
                                                         content.getRight(), content.getBottom())
                   .reduced (4, 0);
    creditsArea = textArea.reduced (4);
    credits.setBounds (creditsArea);
    if (link != nullptr)
    {
        link->changeWidthToFitText();
        link->setTopLeftPosition (logoArea.getX(), logoArea.getY() + 27);
        link->setSize (link->getWidth(), juce::roundToInt (linkFont.getHeight()));
    }
}

void AboutWindow::paint (juce::Graphics& g)
{
    WindowComponent::paint (g);

    const auto background =
        lookAndFeelColour (*this, LookAndFeelColourIds::windowBackground, juce::Colours::black);
    const auto textColour = lookAndFeelColour (*this, LookAndFeelColourIds::aboutText, juce::Colours::white);
    // The text box sits a step lighter than the window, with a faint outline of the text colour.
    DefaultLookAndFeel::drawRoundedBox (g, textArea, 4.0f, background.brighter (0.15f),
                                        textColour.withAlpha (0.3f), 1.0f);

    g.setColour (textColour);
    for (const auto& line : getTextLines())
    {
        g.setFont (line.font);
        g.drawText (line.text, line.area, line.justification, false);
    }
}

std::vector<AboutWindow::TextLine> AboutWindow::getTextLines() const
{
    const auto texts = getTexts();
    const auto nameFont = font (17.0f, true);
    const auto descriptionFont = font (15.0f, false);
    const auto infoFont = font (14.0f, false);
    const auto smallFont = font (12.0f, false);
    auto heightOf = [] (const juce::Font& f) { return juce::roundToInt (f.getHeight()); };
    const auto left = juce::Justification::topLeft, right = juce::Justification::topRight;

    const int x = logoArea.getX(), y = logoArea.getY(), w = logoArea.getWidth();
    const int ix = infoArea.getX(), iy = infoArea.getY(), iw = infoArea.getWidth();
    const int formatWidth = juce::roundToInt (std::ceil (infoFont.getStringWidthFloat (texts[2])));

    std::vector<TextLine> lines{
        {texts[0], nameFont, {x, y - 3, w, heightOf (nameFont)}, left},
        {texts[1], descriptionFont, {x, y + 12, w, heightOf (descriptionFont)}, left},
        {texts[2], infoFont, {ix, iy - 3, iw, heightOf (infoFont)}, right},
        {texts[3], infoFont, {ix, iy - 3, iw - formatWidth - 8, heightOf (infoFont)}, right},
        {texts[4], smallFont, {ix, iy + 19, iw, heightOf (smallFont)}, right}};

    const int smallHeight = heightOf (smallFont);
    const auto pathLines = wrapPath (texts[5], smallFont, iw);
    for (int i = 0; i < pathLines.size(); ++i)
        lines.push_back ({pathLines[i], smallFont, {ix, iy + 30 + i * smallHeight, iw, smallHeight}, right});
    return lines;
}

juce::StringArray AboutWindow::wrapPath (const juce::String& path, const juce::Font& f, int width)
{
    const auto fits = [&] (const juce::String& text)
    { return f.getStringWidthFloat (text) <= (float) width; };
    if (fits (path))
        return {path};

    // A path has no spaces to wrap at: break after the last separator that still fits, else anywhere.
    int split = 0;
    for (int i = path.length(); --i > 0;)
    {
        if (!fits (path.substring (0, i)))
            continue;
        const int separator = path.substring (0, i).lastIndexOfChar ('/');
        split = separator > 0 ? separator + 1 : i;
        break;
    }
    if (split <= 0)
        split = 1;
    const auto first = path.substring (0, split), rest = path.substring (split);
    if (fits (rest) || path.lastIndexOfChar ('/') <= 0)
        return {first, rest};

    // The second line would cut the file name off: the folders between the lines give way to an ellipsis,
    // as few as will do.
    const juce::String ellipsis ("...");
    for (int from = rest.indexOfChar ('/'); from >= 0; from = rest.indexOfChar (from + 1, '/'))
        if (fits (ellipsis + rest.substring (from)))
            return {first, ellipsis + rest.substring (from)};

    // A name too long for a line by itself takes both, after the ellipsis.
    const auto name = ellipsis + path.substring (path.lastIndexOfChar ('/'));
    for (int i = name.length(); --i > 0;)
        if (fits (name.substring (0, i)))
            return fits (name.substring (i)) ? juce::StringArray{name.substring (0, i), name.substring (i)}
                                             : juce::StringArray{first, rest};
    return {first, rest};
}
