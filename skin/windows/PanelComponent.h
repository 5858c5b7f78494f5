#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A titled group box around one content component (not owned). Message thread only. */
class PanelComponent : public juce::Component
{
public:
    /** Implemented by the editor's look and feel. */
    class LookAndFeelMethods
    {
    public:
        virtual ~LookAndFeelMethods() = default;

        virtual juce::Font getPanelTitleFont() = 0;
    };

    PanelComponent();
    explicit PanelComponent (const juce::String& title);
    ~PanelComponent() override;

    void setTitle (const juce::String&);
    const juce::String& getTitle() const { return title; }

    /** The previous content is removed from the children but not deleted. */
    void setContentComponent (juce::Component* content, bool resizeToFit);
    juce::Component* getContentComponent() const { return content; }

    void updateLayout();

    /** A negative width or height means: fitted to the title and the content. */
    void fitToContent (int width, int height);

    juce::Rectangle<int> getContentBounds() const;
    const juce::Font& getFont() const { return font; }

    void paint (juce::Graphics&) override;
    void childBoundsChanged (juce::Component*) override;
    void lookAndFeelChanged() override;

private:
    int fittedWidth() const;
    int fittedHeight() const;

    juce::Component* content = nullptr;
    bool resizeToFit = false;
    bool laying = false;
    juce::String title;
    juce::Font font{13.0f, juce::Font::bold};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PanelComponent)
};
