#pragma once

#include "framework/ListenerArray.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** A tabbed component whose pages follow its look and feel and whose page area is a rounded box.
    Message thread only. */
class TabbedComponentEx : public juce::TabbedComponent
{
public:
    /** Called on the message thread. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void tabChanged (TabbedComponentEx*) = 0;
    };

    /** The metrics a look and feel may give the tabs; without it the defaults below stay. */
    class LookAndFeelMethods
    {
    public:
        virtual ~LookAndFeelMethods() = default;
        virtual int getTabBarDepth() = 0;
        virtual int getTabEdgeIndent() = 0;
    };

    TabbedComponentEx();
    ~TabbedComponentEx() override;

    void addListener (Listener*);
    void removeListener (Listener*);

    const juce::Path& getOutline() const { return outline; }
    int getCornerValue() const { return cornerValue; }

    void currentTabChanged (int newIndex, const juce::String& name) override;
    void lookAndFeelChanged() override;
    void resized() override;
    void paint (juce::Graphics&) override;

private:
    ListenerArray<Listener> listeners;
    juce::Path outline;
    int cornerValue = 8;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TabbedComponentEx)
};
