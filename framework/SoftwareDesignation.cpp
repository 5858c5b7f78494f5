#include "framework/SoftwareDesignation.h"

void SoftwareDesignation::setSoftwareDesignation (const Info& newInfo)
{
    info = newInfo;
}
