#pragma once

#include "framework/Parameter.h"

/** The mix-in that ties a widget to one parameter: the widget shows the parameter's value and writes the
    user's changes back into it.

    A widget is attached at most once. It listens on the parameter's asynchronous list, so
    updateFromParameter always runs on the message thread, and it shows a value without notification, so a
    value that came from the parameter never travels back to it. The parameter (owned by the processor)
    outlives the widget; the widget leaves the parameter's list when it goes.
*/
class ParameterController : public Parameter::Listener
{
public:
    ~ParameterController() override;

    /** Stores the parameter, listens to it and shows its value at once. False, and nothing changes, when
        the widget is already attached or the parameter is null. */
    bool attachToParameter (Parameter* parameter);

    Parameter* getParameter() const noexcept { return parameter; }
    bool isAttached() const noexcept { return parameter != nullptr; }

    void parameterChanged (Parameter* p) override { updateFromParameter (p); }

    /** Shows the parameter's value without writing it back. Message thread. */
    virtual void updateFromParameter (Parameter*) = 0;

protected:
    Parameter* parameter = nullptr;
};
