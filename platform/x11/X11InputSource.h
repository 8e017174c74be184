#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "brevanor/platform/InputSource.h"
#include "platform/x11/X11SyntheticJournal.h"

namespace brevanor {

// The system-wide listener on X11: a thread "com.brevanor.input-tap" with a
// connection of its own receives the XInput 2.2 raw events of the root window,
// which arrive whatever window has the focus and during grabs, converts each
// to a TapEvent and hands it to the sink. The thread waits in poll() on the
// connection and a wake-up pipe, so stop() takes effect at once; it drains
// every queued event before waiting again, so a burst arrives whole and in order.
class X11InputSource final : public InputSource {
public:
    // `displayName` empty: $DISPLAY. `journal` is shared with the injector whose events read as synthetic.
    X11InputSource(std::string displayName, std::shared_ptr<X11SyntheticJournal> journal);
    ~X11InputSource() override;

    bool start(Sink sink) override;
    void stop() override;

private:
    struct Session;  // what one run of the listener thread owns

    static void run(Session& session, const Sink& sink);

    const std::string displayName_;
    const std::shared_ptr<X11SyntheticJournal> journal_;

    std::mutex mutex_;  // guards the fields below
    std::thread thread_;
    std::shared_ptr<Session> session_;
};

}  // namespace brevanor
