// The quick check of a fresh build: the embedded parameter and event tables load through the resource
// loader as the plug-in loads them. Exits non-zero when either table is missing or incomplete.
#include "framework/EmbeddedResourceTable.h"
#include "framework/EventsMap.h"
#include "framework/ParameterManager.h"

#include <iostream>

namespace
{
constexpr int expectedParameters = 86;
constexpr int expectedEvents = 59;
} // namespace

int main()
{
    std::cout << "Kelvanor: " << embeddedResourceCount << " embedded resources\n";
    for (int i = 0; i < embeddedResourceCount; ++i)
        std::cout << "  " << embeddedResourceTable[i].fileName << " (" << embeddedResourceTable[i].size
                  << " bytes)\n";

    ParameterManager parameters;
    parameters.loadFromResource ("parameters.xml");

    std::cout << "parameters.xml: " << parameters.getNumParameters() << " parameters, application \""
              << parameters.getApplicationName() << "\"\n";
    for (const int id : {0, 2, 23, 37, 38, 85})
        if (const auto* p = parameters.getParameter (id))
            std::cout << "  " << id << " \"" << p->getName() << "\" = " << p->getValueText()
                      << (p->isAutomatable() ? " (automatable)" : "") << "\n";

    EventsMap events;
    events.loadFromResource ("events.xml");

    std::cout << "events.xml: " << events.getNumEvents() << " events\n";
    for (const int uid : {0, 17, 30, 58})
        std::cout << "  " << uid << " \"" << events.getEventNameForId (uid) << "\"\n";

    const bool parametersOk = parameters.getNumParameters() == expectedParameters &&
                              parameters.getParameterIdByName ("Oscillator Tuning Type") == 85;
    const bool eventsOk = events.getNumEvents() == expectedEvents && events.getEventId ("Flatten") == 58;

    if (!parametersOk)
        std::cerr << "error: expected " << expectedParameters << " parameters, ids 0 to 85\n";
    if (!eventsOk)
        std::cerr << "error: expected " << expectedEvents << " events, uids 0 to 58\n";

    return parametersOk && eventsOk ? 0 : 1;
}
