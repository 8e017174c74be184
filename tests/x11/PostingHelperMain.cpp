// brevanor_x11_posting_helper DISPLAY
//
// A stand-in for a Brevanor that dies in the middle of a playback: it posts
// a key press and a button press through the real injector, prepared as a
// playback prepares it (which starts the guardian), says "held" on standard
// output, and waits to be killed. It notes
// what it posts in the journal of the display, as every Brevanor process does.

#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/x11/X11InputInjector.h"

int main(int argc, char** argv) {
    using namespace brevanor;
    const std::string display = argc > 1 ? argv[1] : "";
    X11InputInjector injector(display, X11SyntheticJournal::forDisplay(display));
    SyntheticInput key{.type = SyntheticInput::Type::keyDown, .keyCode = 0};  // A
    SyntheticInput button{.type = SyntheticInput::Type::mouseDown, .x = 40, .y = 30, .button = MouseButton::left};
    injector.prepareToPost();
    if (!injector.guardianProcessId() || !injector.post(key) || !injector.post(button)) {
        std::puts("failed");
        return 1;
    }
    // The requests must have reached the server before the test kills us.
    injector.cursorPosition();
    std::printf("held %d\n", *injector.guardianProcessId());
    std::fflush(stdout);
    for (;;) pause();
}
