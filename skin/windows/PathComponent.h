#pragma once

#include "framework/ListenerArray.h"

#include "skin/windows/FileChooserPolicy.h"

/** A read-only path field with a "Browse" button that picks one existing file. Message thread only. */
class PathComponent : public juce::Component, public juce::Button::Listener
{
public:
    /** Called on the message thread. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void pathChanged (PathComponent*) = 0;
    };

    PathComponent();
    ~PathComponent() override;

    /** Stores the path when it names another file than the current one (letter case counts where the
        file system's names are case-sensitive); notifies the listeners when asked. */
    void setPath (const juce::String& path, bool notify);
    const juce::String& getPath() const { return path; }

    void addListener (Listener*);
    void removeListener (Listener*);

    void setChooserTitle (const juce::String& t) { chooserTitle = t; }
    void setInitialLocation (const juce::String& l) { initialLocation = l; }
    void setFilePatterns (const juce::String& p) { filePatterns = p; }

    juce::TextButton& getBrowseButton() { return browseButton; }
    FileChooserPolicy& getChooser() { return chooser; }
    juce::Rectangle<int> getBoxArea() const { return boxArea; }
    juce::Rectangle<int> getTextArea() const { return textArea; }
    /** True when the path does not fit and is drawn cut with the marker. */
    bool isPathCut() const;

    void paint (juce::Graphics&) override;
    void resized() override;
    void enablementChanged() override;
    void lookAndFeelChanged() override;
    void buttonClicked (juce::Button*) override;

private:
    void measure();

    int spacing = 6;
    int pathWidth = 0, markerWidth = 0;
    juce::String chooserTitle, initialLocation, filePatterns;
    juce::String path;
    juce::TextButton browseButton{"Browse"};
    juce::Font font{13.0f};
    juce::Rectangle<int> boxArea, textArea;
    const juce::String marker{"[...]"};
    ListenerArray<Listener> listeners;
    FileChooserPolicy chooser{*this};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PathComponent)
};
