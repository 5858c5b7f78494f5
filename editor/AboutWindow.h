#pragma once

#include "skin/windows/WindowComponent.h"

#include "framework/ListenerArray.h"

#include <vector>

class BasePlugin;

/** Scrolling credits: a label that moves up 1 px per tick and starts again below when it has left. */
class CreditsText : public juce::Component, public juce::Timer
{
public:
    /** Called on the message thread. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void creditsTextClicked (CreditsText*) = 0;
    };

    explicit CreditsText (const juce::String& text);

    void addListener (Listener*);
    void removeListener (Listener*);
    juce::Label& getLabel() { return label; }

    void resized() override;
    void timerCallback() override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    juce::Label label;
    int numLines = 0;
    ListenerArray<Listener> listeners;
};

/** Who the plug-in is: name, description, format, version, build and the plug-in library's own file,
    with a link to the product's web page. A click anywhere closes it. Message thread only. */
class AboutWindow : public WindowComponent, public CreditsText::Listener
{
public:
    explicit AboutWindow (BasePlugin& plugin);
    ~AboutWindow() override;

    void close();

    /** The file of the library this code was linked into (the plug-in, not the host), found from an
        address inside it; the running executable when the code is linked into one. */
    static juce::File getLibraryFile();

    /** The texts of the box, in drawing order (name, description, format, version, build, file). */
    juce::StringArray getTexts() const;

    /** One line as paint draws it: the text goes into the area in that font, and what does not fit the
        area's width is cut off. */
    struct TextLine
    {
        juce::String text;
        juce::Font font;
        juce::Rectangle<int> area;
        juce::Justification justification;
    };

    /** The lines of the texts for the current size, in drawing order; the file takes one or two. */
    std::vector<TextLine> getTextLines() const;

    /** A path in at most two lines of that width: broken after the last "/" that fits on the first line,
        or anywhere when none does. When the rest is too long for the second line, folders from its start
        give way to "..." so that the file name stays whole; a name longer than a line takes both lines
        after the "...". Only a name longer than two lines, or a path without folders, is drawn cut. */
    static juce::StringArray wrapPath (const juce::String& path, const juce::Font&, int width);

    juce::HyperlinkButton& getLink() { return *link; }
    juce::Rectangle<int> getLogoArea() const { return logoArea; }
    juce::Rectangle<int> getInfoArea() const { return infoArea; }
    juce::Rectangle<int> getTextArea() const { return textArea; }

    bool shouldDimBackground() const override { return true; }
    void mouseDown (const juce::MouseEvent&) override;
    void creditsTextClicked (CreditsText*) override;
    void lookAndFeelChanged() override;
    void resized() override;
    void paint (juce::Graphics&) override;

private:
    juce::Font font (float height, bool bold) const;

    BasePlugin& plugin;
    std::unique_ptr<juce::HyperlinkButton> link;
    CreditsText credits;
    juce::Rectangle<int> logoArea, infoArea, textArea, creditsArea;
    juce::Font linkFont{13.0f, juce::Font::underlined};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutWindow)
};
