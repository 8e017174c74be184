// brevanor-bare-injector --display NAME --schedule FILE [--repeat N] [--delay SECONDS]
//
// The baseline of the replay-fidelity benchmark: the plainest program that
// replays a schedule of XTest requests on time. One thread sleeps with
// clock_nanosleep to each absolute deadline and sends the request with one
// XFlush; nothing spins, nothing asks for a priority, nothing else runs in
// the process. It shares no code with Brevanor.
//
// Each line of the schedule is "OFFSET_NANOS KIND DETAIL X Y": KIND is M
// (move to X, Y), B or b (press or release of X button DETAIL), K or k (press
// or release of X key code DETAIL). Runs repeat as Brevanor's do: the next
// run starts DELAY after the later of the end the last run was due and the
// moment its last request went out.

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

struct Request {
    std::uint64_t offsetNanos = 0;
    char kind = 'M';
    unsigned int detail = 0;
    int x = 0;
    int y = 0;
};

std::uint64_t nowNanos() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000ULL + static_cast<std::uint64_t>(ts.tv_nsec);
}

void sleepUntil(std::uint64_t deadlineNanos) {
    const timespec deadline{static_cast<time_t>(deadlineNanos / 1'000'000'000ULL),
                            static_cast<long>(deadlineNanos % 1'000'000'000ULL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) != 0) {
    }
}

void send(Display* display, const Request& request) {
    switch (request.kind) {
        case 'M': XTestFakeMotionEvent(display, -1, request.x, request.y, CurrentTime); break;
        case 'B':
        case 'b': XTestFakeButtonEvent(display, request.detail, request.kind == 'B', CurrentTime); break;
        case 'K':
        case 'k': XTestFakeKeyEvent(display, request.detail, request.kind == 'K', CurrentTime); break;
        default: break;
    }
    XFlush(display);
}

int usage() {
    std::fprintf(stderr,
                 "usage: brevanor-bare-injector --display NAME --schedule FILE [--repeat N] [--delay SECONDS]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string displayName, schedulePath;
    long repeat = 1;
    double delaySeconds = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const char* value = argv[i + 1];
        if (option == "--display") {
            displayName = value;
        } else if (option == "--schedule") {
            schedulePath = value;
        } else if (option == "--repeat") {
            repeat = std::strtol(value, nullptr, 10);
        } else if (option == "--delay") {
            delaySeconds = std::strtod(value, nullptr);
        } else {
            return usage();
        }
    }
    if (argc % 2 == 0 || schedulePath.empty() || repeat < 1 || delaySeconds < 0) return usage();

    std::vector<Request> schedule;
    std::ifstream in(schedulePath);
    Request request;
    while (in >> request.offsetNanos >> request.kind >> request.detail >> request.x >> request.y) {
        schedule.push_back(request);
    }
    if (schedule.empty()) {
        std::fprintf(stderr, "brevanor-bare-injector: no requests in %s\n", schedulePath.c_str());
        return 1;
    }
    Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    int event = 0, error = 0, major = 0, minor = 0;
    if (!display || !XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::fprintf(stderr, "brevanor-bare-injector: cannot open the X display with XTest\n");
        return 1;
    }

    const auto delayNanos = static_cast<std::uint64_t>(delaySeconds * 1e9);
    std::uint64_t anchor = nowNanos();
    for (long run = 0; run < repeat; ++run) {
        for (const Request& next : schedule) {
            sleepUntil(anchor + next.offsetNanos);
            send(display, next);
        }
        anchor = std::max(anchor + schedule.back().offsetNanos, nowNanos()) + delayNanos;
    }
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
