#pragma once

#include "framework/ListenerArray.h"
#include "skin/widgets/CheckBox_V2.h"
#include "skin/windows/PathComponent.h"

/** A check box with a path field to its right: the choice between the default resource and a file of the
    user's own. The path field is enabled exactly while the box is ticked. Message thread only. */
class DefaultResourceCheckBox : public juce::Component,
                                public PathComponent::Listener,
                                public juce::Button::Listener
{
public:
    /** Called on the message thread when the box is clicked or the path changes. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void defaultResourceChanged (DefaultResourceCheckBox*) = 0;
    };

    DefaultResourceCheckBox();
    ~DefaultResourceCheckBox() override;

    void addListener (Listener*);
    void removeListener (Listener*);

    void updatePathEnablement();

    CheckBox_V2& getCheckBox() noexcept { return checkBox; }
    PathComponent& getPathComponent() noexcept { return pathComponent; }

    void resized() override;
    void buttonClicked (juce::Button*) override;
    void pathChanged (PathComponent*) override;

private:
    ListenerArray<Listener> listeners;
    PathComponent pathComponent;
    CheckBox_V2 checkBox;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DefaultResourceCheckBox)
};
