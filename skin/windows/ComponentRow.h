#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Lays its children out in a row or a column, in child order, sized to fit them. Message thread only. */
class ComponentRow : public juce::Component
{
public:
    enum Orientation
    {
        horizontal = 0,
        vertical = 1
    };

    enum Alignment
    {
        alignStart = 0,
        alignCentre = 1,
        alignEnd = 2
    };

    ComponentRow();
    ~ComponentRow() override;

    void setOrientation (int);
    void setAlignment (int);
    void setSpacing (int);
    int getOrientation() const { return orientation; }
    int getAlignment() const { return alignment; }
    int getSpacing() const { return spacing; }

    /** Size along the axis: the children's extents plus the spacing between them; across: the largest
        child. Keeps the position. */
    void updateSize();

    /** updateSize, then places every child. */
    void updateLayout();

    void childrenChanged() override;
    void childBoundsChanged (juce::Component*) override;

private:
    int orientation = horizontal;
    int alignment = alignStart;
    int spacing = 0;
    bool laying = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ComponentRow)
};
