#include "skin/widgets/ParameterController.h"

ParameterController::~ParameterController()
{
    if (parameter != nullptr)
        parameter->removeAsyncListener (this);
}

bool ParameterController::attachToParameter (Parameter* p)
{
    if (parameter != nullptr || p == nullptr)
        return false;

    parameter = p;
    parameter->addAsyncListener (this);
    parameterChanged (parameter);
    return true;
}
