#include "skin/windows/ComponentRow.h"

ComponentRow::ComponentRow() = default;
ComponentRow::~ComponentRow() = default;

void ComponentRow::setOrientation (int o)
{
    orientation = o == vertical ? vertical : horizontal;
    updateLayout();
}

void ComponentRow::setAlignment (int a)
{
    alignment = juce::jlimit (0, 2, a);
    updateLayout();
}

void ComponentRow::setSpacing (int s)
{
    spacing = s;
    updateLayout();
}

void ComponentRow::updateSize()
{
    const bool across = orientation == vertical;
    int along = 0, thick = 0;
    for (auto* child : getChildren())
    {
        along += across ? child->getHeight() : child->getWidth();
        thick = juce::jmax (thick, across ? child->getWidth() : child->getHeight());
    }
    if (getNumChildComponents() > 0)
        along += (getNumChildComponents() - 1) * spacing;

    if (across)
        setSize (thick, along);
    else
        setSize (along, thick);
}

void ComponentRow::updateLayout()
{
    // Placing the children calls childBoundsChanged for each; one pass is enough.
    if (laying)
        return;
    const juce::ScopedValueSetter<bool> guard (laying, true);

    updateSize();
    const bool across = orientation == vertical;
    const int rowThickness = across ? getWidth() : getHeight();
    int position = 0;
    for (auto* child : getChildren())
    {
        const int extent = across ? child->getHeight() : child->getWidth();
        const int thickness = across ? child->getWidth() : child->getHeight();
        const int offset = alignment == alignCentre ? (rowThickness - thickness) / 2
                           : alignment == alignEnd  ? rowThickness - thickness
                                                    : 0;
        if (across)
            child->setTopLeftPosition (offset, position);
        else
            child->setTopLeftPosition (position, offset);
        position += extent + spacing;
    }
}

void ComponentRow::childrenChanged()
{
    updateLayout();
}

void ComponentRow::childBoundsChanged (juce::Component*)
{
    updateLayout();
}
