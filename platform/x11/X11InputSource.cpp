#include "platform/x11/X11InputSource.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/record.h>

#include "base/time/MonotonicClock.h"
#include "core/store/FileDescriptor.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Owned.h"
#include "platform/x11/X11RawEventConverter.h"
#include "platform/x11/X11RecordedPositions.h"

namespace brevanor {

namespace {

// While events stream in, the listener rests this long after each wake-up before it looks at
// the sockets again, so that they are taken in a few at a time: a wake-up costs far more than an
// event. They keep the server's own times, and stop keys are held far longer than this.
constexpr std::uint64_t kRestNanos = 8'000'000;
// A wake-up this long after the one before ends a quiet spell: it is not followed by a rest, so
// the next event arrives at once too. The first events after a pause set the server clock's
// offset, which needs arrivals that were not held back.
constexpr std::uint64_t kQuietNanos = 50'000'000;
// The server holds recorded data back until it next has something to write to any client:
// a raw event whose record is not in by then asks for it with a round trip.
constexpr std::uint64_t kRecordFlushNanos = kRestNanos;
// How long a raw event waits for the server's record of it before it is placed without.
constexpr std::uint64_t kRecordWaitNanos = 50'000'000;
// How long the server may take to begin or end a recording.
constexpr std::uint64_t kRecordStartNanos = 2'000'000'000;

// Milliseconds for poll() until `deadline`, rounded up so that it never wakes early.
int millisUntil(std::uint64_t deadline, std::uint64_t now) {
    return deadline > now ? static_cast<int>((deadline - now + 999'999) / 1'000'000) : 0;
}

}  // namespace

struct X11InputSource::Session {
    // What intercept() writes is declared before the record connections, so it outlives
    // them: Xlib may still hand recorded data to intercept() as it closes the data connection.
    X11RecordedPositions positions;
    bool recording = false;  // the server confirmed the recording: raw events wait for their record

    std::unique_ptr<X11Connection> connection;  // raw events, and the converter's queries
    std::unique_ptr<X11Connection> recordControl;
    std::unique_ptr<X11Connection> recordData;  // receives what is recorded, and nothing else
    XRecordContext context = 0;
    std::unique_ptr<X11RawEventConverter> converter;
    std::deque<X11RawEventConverter::Raw> waiting;  // raw events not yet converted, in order
    int xinputOpcode = 0;
    FileDescriptor wakeRead;
    FileDescriptor wakeWrite;
    std::atomic<bool> stopRequested = false;  // checked between two events of a burst

    ~Session() { endRecording(); }

    // Ends the recording and reads the data connection up to the server's last
    // word, so that Xlib calls intercept() for none of it once the session is gone.
    void endRecording() {
        if (!context) return;
        if (recordControl->isAlive()) {
            XRecordDisableContext(recordControl->display(), context);
            XSync(recordControl->display(), False);
        }
        const std::uint64_t deadline = MonotonicClock::now() + kRecordStartNanos;
        pollfd wait = {recordData->fileDescriptor(), POLLIN, 0};
        while (recording && recordData->isAlive() && MonotonicClock::now() < deadline) {
            XRecordProcessReplies(recordData->display());
            if (recording) poll(&wait, 1, 10);
        }
        if (recordControl->isAlive()) XRecordFreeContext(recordControl->display(), context);
        context = 0;
    }

    // Called by Xlib for each recorded item, on the thread reading the data connection.
    static void intercept(XPointer closure, XRecordInterceptData* data) {
        auto& session = *reinterpret_cast<Session*>(closure);
        if (data->category == XRecordStartOfData) session.recording = true;
        if (data->category == XRecordEndOfData) session.recording = false;
        if (data->category == XRecordFromServer && data->data_len * 4 >= sizeof(xEvent)) {
            const auto& event = *reinterpret_cast<const xEvent*>(data->data);
            const int type = event.u.u.type & 0x7F;
            if (type >= KeyPress && type <= MotionNotify) {
                const bool key = type == KeyPress || type == KeyRelease;
                session.positions.add({type, key ? event.u.u.detail : 0U, event.u.keyButtonPointer.time,
                                       Point{static_cast<double>(event.u.keyButtonPointer.rootX),
                                             static_cast<double>(event.u.keyButtonPointer.rootY)}});
            }
        }
        XRecordFreeData(data);
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
    // Without RECORD every event is still seen, placed where the pointer was last known.
    // A recording the server did not confirm in time is ended, so that no data piles up unread.
    if (!startRecording(*session)) session->endRecording();
    // The converter reads which keys are down before the first event is selected,
    // so every event after that point finds the state it changes.
    session->converter = std::make_unique<X11RawEventConverter>(display, journal_);
    if (!X11RawEventConverter::selectEvents(display)) return false;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    session->wakeRead = FileDescriptor(pipeEnds[0]);
    session->wakeWrite = FileDescriptor(pipeEnds[1]);

    session_ = session;
    thread_ = std::thread([session, sink = std::move(sink)] { run(*session, sink); });
    return true;
}

bool X11InputSource::startRecording(Session& session) const {
    try {
        session.recordControl = std::make_unique<X11Connection>(displayName_);
        session.recordData = std::make_unique<X11Connection>(displayName_);
    } catch (const std::exception&) {
        return false;
    }
    Display* control = session.recordControl->display();
    int major = 0, minor = 0;
    if (!session.recordControl->hasExtension("RECORD") || !XRecordQueryVersion(control, &major, &minor)) return false;
    const X11Owned<XRecordRange> range(XRecordAllocRange());
    if (!range) return false;
    // Core device events only: a context that records anything more loses device events under load.
    range->device_events = {KeyPress, MotionNotify};
    XRecordClientSpec clients = XRecordAllClients;
    XRecordRange* ranges = range.get();
    session.context = XRecordCreateContext(control, 0, &clients, 1, &ranges, 1);
    if (!session.context) return false;
    // The context must exist on the server before the other connection enables it.
    XSync(control, False);
    Display* data = session.recordData->display();
    if (!XRecordEnableContextAsync(data, session.context, &Session::intercept, reinterpret_cast<XPointer>(&session))) {
        return false;
    }
    // Events from here on are recorded: the server confirms the recording before any of its data.
    pollfd wait = {session.recordData->fileDescriptor(), POLLIN, 0};
    const std::uint64_t deadline = MonotonicClock::now() + kRecordStartNanos;
    while (!session.recording && session.recordData->isAlive() && MonotonicClock::now() < deadline) {
        XRecordProcessReplies(data);
        if (!session.recording) poll(&wait, 1, 10);
    }
    return session.recording;
}

void X11InputSource::stop() {
    std::shared_ptr<Session> session;
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        if (!session_) return;
        session = std::move(session_);
        thread = std::move(thread_);
    }
    session->stopRequested = true;
    const char wake = 'w';
    [[maybe_unused]] const auto written = write(session->wakeWrite.get(), &wake, 1);
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
    Display* recordData = session.recording ? session.recordData->display() : nullptr;
    X11RawEventConverter& converter = *session.converter;
    pollfd waits[3] = {{session.wakeRead.get(), POLLIN, 0},
                       {session.connection->fileDescriptor(), POLLIN, 0},
                       {recordData ? session.recordData->fileDescriptor() : -1, POLLIN, 0}};

    std::uint64_t wokeAt = 0;
    bool streaming = false;  // the last wake-up came soon after the one before
    bool replaying = false;  // the last event was Brevanor's own
    while (!session.stopRequested) {
        // Take in everything already read or waiting on the sockets before sleeping again.
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            const std::uint64_t receivedAt = MonotonicClock::now();
            XGenericEventCookie* cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != session.xinputOpcode) continue;
            if (!XGetEventData(display, cookie)) continue;
            session.waiting.push_back(X11RawEventConverter::read(cookie->data, receivedAt));
            XFreeEventData(display, cookie);
        }
        if (recordData) XRecordProcessReplies(recordData);

        // Hand on each raw event once its record is in, or lost, or overdue; the order stays.
        std::optional<std::uint64_t> nextLook;  // when the first waiting event is to be looked at again
        bool flushAsked = false;
        while (!session.waiting.empty()) {
            if (session.stopRequested) return;
            const X11RawEventConverter::Raw& raw = session.waiting.front();
            std::optional<Point> recorded;
            if (const int coreType = X11RawEventConverter::coreType(raw); coreType != 0 && recordData) {
                const bool key = coreType == KeyPress || coreType == KeyRelease;
                std::optional<Point> absolute;
                if (raw.x && raw.y) absolute = Point{std::round(*raw.x), std::round(*raw.y)};
                const auto lookup = session.positions.find(coreType, key ? raw.detail : 0U, raw.serverMillis, absolute);
                if (lookup.answer == X11RecordedPositions::Answer::notYet) {
                    const std::uint64_t now = MonotonicClock::now();
                    if (now < raw.receivedAtNanos + kRecordFlushNanos) {
                        nextLook = raw.receivedAtNanos + kRecordFlushNanos;
                        break;
                    }
                    if (!flushAsked) {
                        flushAsked = true;
                        XSync(session.recordControl->display(), False);
                        XRecordProcessReplies(recordData);
                        continue;
                    }
                    if (now < raw.receivedAtNanos + kRecordWaitNanos) {
                        nextLook = raw.receivedAtNanos + kRecordWaitNanos;
                        break;
                    }
                }
                if (lookup.answer == X11RecordedPositions::Answer::found) recorded = lookup.location;
            }
            std::optional<TapEvent> converted = converter.convert(raw, recorded);
            session.waiting.pop_front();
            if (converted) {
                replaying = converted->isSynthetic;
                sink(*converted);
            }
        }
        // The converter's round trips may have read more events off the socket: poll() would not see them.
        if (XEventsQueued(display, QueuedAlready) > 0) continue;

        // Rest after a wake-up, waking only to stop, then look at everything that came meanwhile.
        // Brevanor's own replay is taken event by event: it is judged by when its events arrive.
        std::uint64_t now = MonotonicClock::now();
        const bool rest = streaming && !replaying;
        const std::uint64_t restEnd = std::min(rest ? wokeAt + kRestNanos : 0, nextLook.value_or(UINT64_MAX));
        if (now < restEnd) {
            pollfd wake = {session.wakeRead.get(), POLLIN, 0};
            if (poll(&wake, 1, millisUntil(restEnd, now)) > 0) return;
            now = MonotonicClock::now();
        }
        for (pollfd& wait : waits) wait.revents = 0;
        const int timeout = nextLook ? millisUntil(*nextLook, now) : -1;
        if (poll(waits, 3, timeout) < 0 && errno != EINTR) return;
        const std::uint64_t previousWake = std::exchange(wokeAt, MonotonicClock::now());
        streaming = wokeAt - previousWake < kQuietNanos;
        // Hung up: the server went away and nothing more will arrive.
        if ((waits[0].revents & POLLIN) || (waits[1].revents & (POLLHUP | POLLERR))) return;
        if (waits[2].revents & (POLLHUP | POLLERR)) {
            recordData = nullptr;
            waits[2].fd = -1;
        }
    }
}

}  // namespace brevanor
