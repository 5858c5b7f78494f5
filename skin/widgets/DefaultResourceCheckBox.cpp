#include "skin/widgets/DefaultResourceCheckBox.h"

DefaultResourceCheckBox::DefaultResourceCheckBox()
{
    checkBox.setBounds (0, 0, checkBox.getWidth(), checkBox.getHeight());
    checkBox.addListener (this);
    pathComponent.addListener (this);
    addAndMakeVisible (checkBox);
    addAndMakeVisible (pathComponent);
    updatePathEnablement();
}

DefaultResourceCheckBox::~DefaultResourceCheckBox()
{
    checkBox.removeListener (this);
    pathComponent.removeListener (this);
}

void DefaultResourceCheckBox::addListener (Listener* l)
{
    listeners.add (l);
}
void DefaultResourceCheckBox::removeListener (Listener* l)
{
    listeners.remove (l);
}

void DefaultResourceCheckBox::updatePathEnablement()
{
    pathComponent.setEnabled (checkBox.getToggleState());
}

void DefaultResourceCheckBox::resized()
{
    checkBox.changeWidthToFitText (getHeight());
    const int boxWidth = checkBox.getWidth();
    pathComponent.setBounds (boxWidth + 6, 0, getWidth() - boxWidth - 6, getHeight());
}

void DefaultResourceCheckBox::buttonClicked (juce::Button* button)
{
    if (button != &checkBox)
        return;
    // The field follows the box before anybody hears of the change.
    updatePathEnablement();
    listeners.call ([this] (Listener& l) { l.defaultResourceChanged (this); });
}

void DefaultResourceCheckBox::pathChanged (PathComponent*)
{
    listeners.call ([this] (Listener& l) { l.defaultResourceChanged (this); });
}
