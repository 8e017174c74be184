#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/platform/InputSource.h"
#include "platform/x11/X11SyntheticJournal.h"

namespace brevanor {

// The system-wide listener on X11: a thread "com.brevanor.input-tap" with a
// connection of its own receives the XInput 2.2 raw events of the root window,
// which arrive whatever window has the focus and during grabs, converts each
// to a TapEvent and hands it to the sink. Raw events carry no position: a
// RECORD context on two more connections reports the core device events with
// the root position the server used for each, and every raw event takes the
// position of its own (X11RecordedPositions), so positions stay exact however
// far the listener falls behind. The thread waits in poll() on the connections
// and a wake-up pipe, so stop() takes effect at once; it drains every queued
// event before waiting again, so a burst arrives whole and in order. While
// events stream in it takes them a few milliseconds' worth at a time, which
// costs a fraction of waking for each.
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
    // Starts the RECORD context that reports where each event happened; false when the server cannot.
    bool startRecording(Session& session) const;

    const std::string displayName_;
    const std::shared_ptr<X11SyntheticJournal> journal_;

    std::mutex mutex_;  // guards the fields below
    std::thread thread_;
    std::shared_ptr<Session> session_;
};

}  // namespace brevanor
