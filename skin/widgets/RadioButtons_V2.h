#pragma once

#include "framework/ListenerArray.h"
#include "skin/widgets/ParameterController.h"
#include "skin/windows/ComponentRow.h"
#include "skin/windows/PanelComponent.h"
#include "skin/windows/PathComponent.h"

/** A text button drawn as a round button with a dot while it is on. Takes no keyboard focus. */
class RadioButton : public juce::TextButton
{
public:
    explicit RadioButton (const juce::String& text);

    /** Width = the text's width in the look and feel's button font, rounded, + int(1.2 x height); a
        negative height means the current one. */
    void changeWidthToFitText (int height);

    /** The square the ring is drawn in. */
    juce::Rectangle<int> getRingArea() const;

    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted,
                      bool shouldDrawButtonAsDown) override;
};

/** A titled column of radio buttons, one of them selected (or none). Tells its listeners of every
    selection the user makes and, when attached to an integer parameter, writes the index there.
    Message thread only. */
class RadioButtons_V2 : public juce::Component, public juce::Button::Listener, public ParameterController
{
public:
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void radioButtonsChanged (RadioButtons_V2*) = 0;
    };

    RadioButtons_V2 (const juce::String& title, const juce::StringArray& names);
    ~RadioButtons_V2() override;

    /** An index outside 0 .. buttons - 1 selects none. With notify, the listeners hear of it and an
        attached parameter receives the index (-1 for none). */
    void setSelectedIndex (int index, bool notify);
    int getSelectedIndex() const noexcept { return selectedIndex; }

    /** A negative width fits every button to its text first, then the panel to the title and the buttons. */
    void setButtonWidth (int width);

    void addListener (Listener*);
    void removeListener (Listener*);

    int getNumButtons() const noexcept { return buttons.size(); }
    RadioButton* getButton (int index) const noexcept { return buttons[index]; }
    PanelComponent& getPanel() noexcept { return panel; }

    /** Called at the end of every selection change. */
    virtual void selectionChanged() {}

    void updateFromParameter (Parameter*) override;
    void buttonClicked (juce::Button*) override;
    void resized() override;

protected:
    void addButton (RadioButton*);
    void notifyListeners();

    PanelComponent panel;
    ComponentRow row;
    juce::OwnedArray<RadioButton> buttons;
    int selectedIndex = -1;
    ListenerArray<Listener> listeners;

private:
    void showSelection();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RadioButtons_V2)
};

/** Radio buttons whose last choice is "a file of the user's own": a path field to the right of the last
    button, enabled only while that button is selected. A change of the path tells the listeners as a
    selection change does. */
class DefaultResourcesRadioButtons : public RadioButtons_V2, public PathComponent::Listener
{
public:
    DefaultResourcesRadioButtons (const juce::String& title, const juce::StringArray& names);
    ~DefaultResourcesRadioButtons() override;

    PathComponent& getPathComponent() noexcept { return pathComponent; }

    void selectionChanged() override;
    void resized() override;
    void childBoundsChanged (juce::Component*) override;
    void lookAndFeelChanged() override;
    void pathChanged (PathComponent*) override;

private:
    PathComponent pathComponent;
};
