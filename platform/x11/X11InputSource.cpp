#include "platform/x11/X11InputSource.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include "core/capture/MonotonicClock.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11RawEventConverter.h"

namespace brevanor {

struct X11InputSource::Session {
    std::unique_ptr<X11Connection> connection;
    std::unique_ptr<X11RawEventConverter> converter;
    int xinputOpcode = 0;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::atomic<bool> stopRequested = false;  // checked between two events of a burst

    ~Session() {
        if (wakeRead >= 0) close(wakeRead);
        if (wakeWrite >= 0) close(wakeWrite);
    }
};

X11InputSource::X11InputSource(std::string displayName, std::shared_ptr<X11SyntheticJournal> journal)
    : displayName_(std::move(displayName)), journal_(std::move(journal)) {}

X11InputSource::~X11InputSource() { stop(); }

bool X11InputSource::start(Sink sink) {
    std::lock_guard lock(mutex_);
    if (session_) return true;

    auto session = std::make_shared<Session>();
    try {
        session->connection = std::make_unique<X11Connection>(displayName_);
    } catch (const std::exception&) {
        return false;
    }
    Display* display = session->connection->display();
    int firstEvent = 0, firstError = 0;
    int major = 2, minor = 2;
    if (!XQueryExtension(display, "XInputExtension", &session->xinputOpcode, &firstEvent, &firstError) ||
        XIQueryVersion(display, &major, &minor) != Success || major < 2 || (major == 2 && minor < 2)) {
        return false;
    }
    // The converter reads which keys are down before the first event is selected,
    // so every event after that point finds the state it changes.
    session->converter = std::make_unique<X11RawEventConverter>(display, journal_);
    if (!X11RawEventConverter::selectEvents(display)) return false;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    session->wakeRead = pipeEnds[0];
    session->wakeWrite = pipeEnds[1];

    session_ = session;
    thread_ = std::thread([session, sink = std::move(sink)] { run(*session, sink); });
    return true;
}

void X11InputSource::stop() {
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        if (!session_) return;
        session_->stopRequested = true;
        const char wake = 'w';
        [[maybe_unused]] const auto written = write(session_->wakeWrite, &wake, 1);
        session_.reset();  // the thread keeps its session until it ends
        thread = std::move(thread_);
    }
    // A sink that stops the source from its own call cannot wait for itself;
    // its thread ends as soon as that call returns.
    if (thread.get_id() == std::this_thread::get_id()) {
        thread.detach();
    } else {
        thread.join();
    }
}

void X11InputSource::run(Session& session, const Sink& sink) {
    // Thread names hold 15 bytes: the end of "com.brevanor.input-tap".
    pthread_setname_np(pthread_self(), "input-tap");
    Display* display = session.connection->display();
    X11RawEventConverter& converter = *session.converter;
    pollfd waits[2] = {{session.connection->fileDescriptor(), POLLIN, 0}, {session.wakeRead, POLLIN, 0}};

    while (!session.stopRequested) {
        // Handle everything already read or waiting on the socket before sleeping again.
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            const std::uint64_t receivedAt = MonotonicClock::now();
            XGenericEventCookie* cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != session.xinputOpcode) continue;
            if (!XGetEventData(display, cookie)) continue;
            std::optional<TapEvent> converted = converter.convert(cookie->data, receivedAt);
            XFreeEventData(display, cookie);
            if (session.stopRequested) return;
            if (converted) sink(*converted);
        }
        waits[0].revents = waits[1].revents = 0;
        if (poll(waits, 2, -1) < 0 && errno != EINTR) return;
        // Hung up: the server went away and nothing more will arrive.
        if ((waits[1].revents & POLLIN) || (waits[0].revents & (POLLHUP | POLLERR))) return;
    }
}

}  // namespace brevanor
