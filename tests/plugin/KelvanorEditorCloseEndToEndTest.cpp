#include "KelvanorEditorInHostWindow.h"

#include <X11/keysym.h>

#include <chrono>
#include <thread>

/* A host closes the editor right after the user's last input and destroys the window it gave the editor as
   soon as effEditClose returns, now and then its whole editor window. Whatever the plug-in's own X
   connection sends about the editor's window after that fails, and a host whose X error handler ends the
   process (Xlib's default) dies of it. The counter sees the errors of every connection in the process, the
   plug-in's included. */
TEST (KelvanorEditorCloseEndToEnd, NothingIsLeftOfTheEditorsWindowOnceCloseReturns)
{
    KELVANOR_REQUIRE_XVFB();
    ScopedPluginHome home;
    auto plugin = openKelvanor();
    ASSERT_TRUE (plugin->isOpen());
    const ScopedXErrorCounter errors;

    std::unique_ptr<HostEditorWindow> window;
    const auto knob = skinControlNamed ("CutoffKnob").getCentre();

    // Enough cycles to meet the races of a host that closes at once: hosts have died of them after hundreds.
    for (int cycle = 0; cycle < 1000; ++cycle)
    {
        if (window == nullptr)
        {
            window = std::make_unique<HostEditorWindow> (320, 200);
            ASSERT_TRUE (window->isValid()) << window->getError();
            if (!window->canSendInput())
                GTEST_SKIP() << "no XTest on this display";
        }
        window->makeInnerWindow();
        HostEditorSession session (*plugin, *window);
        ASSERT_TRUE (session.open()) << cycle;

        // Now and then the editor has had the time to draw, and images are on their way to its window.
        if (cycle % 8 == 7)
            std::this_thread::sleep_for (std::chrono::milliseconds (10 + cycle % 20));

        const auto size = session.getEditorRect().getBottomRight();
        switch (cycle % 3)
        {
            case 0: window->movePointer ({cycle % size.x, (cycle * 7) % size.y}); break;
            case 1: window->click (knob); break;
            default:
                window->movePointer (size / 2);
                window->pressKey (XK_a);
                break;
        }
        session.close();

        ASSERT_EQ (window->getNumEmbeddedWindows(), 0)
            << "the editor's window outlived effEditClose, cycle " << cycle;
        if (cycle % 50 == 49)
            window.reset();
        else
            window->destroyInnerWindow();
    }

    // Each close waits for the server, which brings in the errors of everything sent before it: one more
    // close, after two ticks of the plug-in's timer, brings in whatever came later.
    HostEditorWindow last (320, 200);
    HostEditorSession lastSession (*plugin, last);
    lastSession.idle (0.5);
    ASSERT_TRUE (lastSession.open());
    lastSession.close();
    EXPECT_EQ (errors.getCount(), 0) << errors.describe();
}
