#include "HostXWindow.h"
#include "XvfbDisplay.h"

#include "tools/HostEditor.h"
#include "vst/XConnection.h"
#include "vst/XKeyboardFocus.h"

#include <gtest/gtest.h>

#include <memory>

// Handing the focus over may fail when the host's window goes meanwhile, and that failure is the hand-over's
// own to swallow; an error of anything sent before it is not: the process's handler must see that one.
TEST (XKeyboardFocus, HandOverSwallowsOnlyItsOwnErrors)
{
    KELVANOR_REQUIRE_XVFB();
    HostXWindow host;
    ASSERT_TRUE (host.isValid());
    const ScopedXErrorCounter errors;

    sendRefusedRequestOnJuceConnection();
    EXPECT_TRUE (XKeyboardFocus::giveTo (host.getHandle()));
    XConnection::sync();
    EXPECT_EQ (errors.getCount(), 1) << "the earlier request's error was hidden";

    auto closing = std::make_unique<HostXWindow>();
    void* const gone = closing->getHandle();
    closing.reset(); // the host closes its window between two requests of ours
    EXPECT_FALSE (XKeyboardFocus::giveTo (gone));
    XConnection::sync();
    EXPECT_EQ (errors.getCount(), 1) << errors.describe();
}
