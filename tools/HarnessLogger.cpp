// brevanor-harness-logger [--display NAME] [--output FILE] [--synthetic xtest|always|never]
//
// Logs every input event of an X display as JSON Lines in the harness log
// format the acceptance comparator reads: one object per event with t
// (CLOCK_MONOTONIC nanoseconds when the event happened), type, x, y, button
// and clickCount (mouse buttons), keyCode (key events), mods and synthetic.
//
// It is the outside observer of the end-to-end tests and shares no code with
// Brevanor: it listens to XInput 2 raw events itself, and derives key codes
// from the server's XKB key names (the key's position, "AC01" for the key
// where A sits on a US keyboard), not from Brevanor's key code table, so a
// wrong entry there shows up as a difference. `synthetic` is true for events
// from an XTest device by default (Brevanor posts through XTest); `always` and
// `never` set it for a whole log when the reference and the replay both come
// through XTest (in Xvfb every event does).
//
// The output file is created once the logger listens: a test can wait for it.
// SIGINT or SIGTERM ends the log. Lines are written by a thread of their own
// as they come, so that the file system never delays the stamping of events.

#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XKBstr.h>

#include "tools/LineWriter.h"

namespace {

volatile sig_atomic_t stopRequested = 0;
int wakePipe[2] = {-1, -1};

void onSignal(int) {
    stopRequested = 1;
    const char wake = 'w';
    [[maybe_unused]] const ssize_t n = write(wakePipe[1], &wake, 1);
}

std::uint64_t nowNanos() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::uint64_t>(ts.tv_sec) * 1'000'000'000ULL + static_cast<std::uint64_t>(ts.tv_nsec);
}

// Neutral virtual key codes by XKB key name (the key's place on the keyboard).
const std::map<std::string, int>& neutralCodeByKeyName() {
    static const std::map<std::string, int> table = {
        {"AC01", 0},   {"AC02", 1},   {"AC03", 2},   {"AC04", 3},   {"AC06", 4},   {"AC05", 5},   {"AB01", 6},
        {"AB02", 7},   {"AB03", 8},   {"AB04", 9},   {"LSGT", 10},  {"AB05", 11},  {"AD01", 12},  {"AD02", 13},
        {"AD03", 14},  {"AD04", 15},  {"AD06", 16},  {"AD05", 17},  {"AE01", 18},  {"AE02", 19},  {"AE03", 20},
        {"AE04", 21},  {"AE06", 22},  {"AE05", 23},  {"AE12", 24},  {"AE09", 25},  {"AE07", 26},  {"AE11", 27},
        {"AE08", 28},  {"AE10", 29},  {"AD12", 30},  {"AD09", 31},  {"AD07", 32},  {"AD11", 33},  {"AD08", 34},
        {"AD10", 35},  {"RTRN", 36},  {"AC09", 37},  {"AC07", 38},  {"AC11", 39},  {"AC08", 40},  {"AC10", 41},
        {"BKSL", 42},  {"AB08", 43},  {"AB10", 44},  {"AB06", 45},  {"AB07", 46},  {"AB09", 47},  {"TAB", 48},
        {"SPCE", 49},  {"TLDE", 50},  {"BKSP", 51},  {"ESC", 53},   {"RWIN", 54},  {"LWIN", 55},  {"LFSH", 56},
        {"CAPS", 57},  {"LALT", 58},  {"LCTL", 59},  {"RTSH", 60},  {"RALT", 61},  {"RCTL", 62},  {"FK17", 64},
        {"KPDL", 65},  {"KPMU", 67},  {"KPAD", 69},  {"NMLK", 71},  {"VOL+", 72},  {"VOL-", 73},  {"MUTE", 74},
        {"KPDV", 75},  {"KPEN", 76},  {"KPSU", 78},  {"FK18", 79},  {"FK19", 80},  {"KPEQ", 81},  {"KP0", 82},
        {"KP1", 83},   {"KP2", 84},   {"KP3", 85},   {"KP4", 86},   {"KP5", 87},   {"KP6", 88},   {"KP7", 89},
        {"FK20", 90},  {"KP8", 91},   {"KP9", 92},   {"AE13", 93},  {"AB11", 94},  {"JPCM", 95},  {"FK05", 96},
        {"FK06", 97},  {"FK07", 98},  {"FK03", 99},  {"FK08", 100}, {"FK09", 101}, {"MUHE", 102}, {"FK11", 103},
        {"HENK", 104}, {"FK13", 105}, {"FK16", 106}, {"FK14", 107}, {"FK10", 109}, {"MENU", 110}, {"FK12", 111},
        {"FK15", 113}, {"INS", 114},  {"HOME", 115}, {"PGUP", 116}, {"DELE", 117}, {"FK04", 118}, {"END", 119},
        {"FK02", 120}, {"PGDN", 121}, {"FK01", 122}, {"LEFT", 123}, {"RGHT", 124}, {"DOWN", 125}, {"UP", 126},
    };
    return table;
}

struct Logger {
    Display* display = nullptr;
    int xinputOpcode = 0;
    std::FILE* out = stdout;
    std::unique_ptr<LineWriter> lines;
    std::string syntheticMode = "xtest";
    std::set<int> xtestDevices;
    int neutralByXKey[256];
    unsigned int lastButton = 0;
    std::uint64_t lastPressNanos = 0;
    long long clickCount = 0;
    std::optional<std::int64_t> serverMillis;  // the server's clock, counted on past its 32-bit wrap
    std::optional<std::int64_t> clockOffset;   // monotonic minus server time, in nanoseconds

    // When an event happened. The server stamps each event in whole milliseconds.
    // Read within its millisecond, the time of reading is exact to the logger's
    // latency; read later (the machine held the logger up), the middle of the
    // server's millisecond is taken, so that a stall of the observer is not
    // taken for one of what it observes. The offset between the clocks is the
    // smallest delay seen, measured anew if the server's clock was stepped.
    std::uint64_t eventTime(Time time, std::uint64_t readAt) {
        constexpr std::int64_t kMillisecond = 1'000'000, kStale = 1'000'000'000;
        const auto millis = static_cast<std::uint32_t>(time);
        serverMillis =
            serverMillis ? *serverMillis + static_cast<std::int32_t>(millis - static_cast<std::uint32_t>(*serverMillis))
                         : static_cast<std::int64_t>(millis);
        const std::int64_t delay = static_cast<std::int64_t>(readAt) - *serverMillis * kMillisecond;
        if (!clockOffset || delay < *clockOffset || delay - *clockOffset > kStale) clockOffset = delay;
        if (delay - *clockOffset < kMillisecond) return readAt;
        return static_cast<std::uint64_t>(*serverMillis * kMillisecond + *clockOffset + kMillisecond / 2);
    }

    void readKeyNames() {
        for (int& code : neutralByXKey) code = -1;
        XkbDescPtr keyboard = XkbGetMap(display, 0, XkbUseCoreKbd);
        if (!keyboard) return;
        if (XkbGetNames(display, XkbKeyNamesMask | XkbKeyAliasesMask, keyboard) == Success && keyboard->names) {
            for (int key = keyboard->min_key_code; key <= keyboard->max_key_code && key < 256; ++key) {
                const std::string name(keyboard->names->keys[key].name, strnlen(keyboard->names->keys[key].name, 4));
                const auto found = neutralCodeByKeyName().find(name);
                if (found != neutralCodeByKeyName().end()) neutralByXKey[key] = found->second;
            }
        }
        XkbFreeKeyboard(keyboard, 0, True);
    }

    void readXTestDevices() {
        xtestDevices.clear();
        int count = 0;
        XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
        for (int i = 0; i < count; ++i) {
            if (std::strstr(devices[i].name, "XTEST")) xtestDevices.insert(devices[i].deviceid);
        }
        if (devices) XIFreeDeviceInfo(devices);
    }

    // Keys without a neutral counterpart log as 0x1000 + their X key code.
    int keyCode(int xKey) const {
        return xKey >= 0 && xKey < 256 && neutralByXKey[xKey] >= 0 ? neutralByXKey[xKey] : 0x1000 + xKey;
    }

    static unsigned long long mods(unsigned int state) {
        unsigned long long flags = 0;
        if (state & ShiftMask) flags |= 0x20000;
        if (state & ControlMask) flags |= 0x40000;
        if (state & LockMask) flags |= 0x10000;
        if (state & (Mod1Mask | Mod5Mask)) flags |= 0x80000;
        if (state & Mod4Mask) flags |= 0x100000;
        return flags;
    }

    static const char* buttonName(unsigned int button) {
        switch (button) {
            case 1: return "left";
            case 2: return "middle";
            case 3: return "right";
            default: return "other";
        }
    }

    void write(std::uint64_t t, const char* type, bool synthetic, const std::string& extra) {
        Window root = None, child = None;
        int x = 0, y = 0, wx = 0, wy = 0;
        unsigned int state = 0;
        XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &wx, &wy, &state);
        char line[512];
        std::snprintf(
            line, sizeof line, "{\"t\":%llu,\"type\":\"%s\",\"x\":%d,\"y\":%d%s,\"mods\":%llu,\"synthetic\":%s}\n",
            static_cast<unsigned long long>(t), type, x, y, extra.c_str(), mods(state), synthetic ? "true" : "false");
        lines->append(line);
    }

    void handle(const XIRawEvent& raw, std::uint64_t readAt) {
        const std::uint64_t t = eventTime(raw.time, readAt);
        bool synthetic = xtestDevices.count(raw.sourceid) > 0;
        if (syntheticMode == "always") synthetic = true;
        if (syntheticMode == "never") synthetic = false;
        const auto detail = static_cast<unsigned int>(raw.detail);
        switch (raw.evtype) {
            case XI_RawMotion:
                if (XIMaskIsSet(raw.valuators.mask, 0) || XIMaskIsSet(raw.valuators.mask, 1)) {
                    write(t, "mouseMoved", synthetic, "");
                }
                break;
            case XI_RawButtonPress:
            case XI_RawButtonRelease: {
                const bool press = raw.evtype == XI_RawButtonPress;
                if (detail >= 4 && detail <= 7) {
                    if (press) write(t, "scroll", synthetic, "");
                    break;
                }
                if (press) {
                    const bool again = detail == lastButton && t - lastPressNanos <= 500'000'000ULL;
                    clickCount = again ? clickCount + 1 : 1;
                    lastButton = detail;
                    lastPressNanos = t;
                }
                const std::string extra = std::string(",\"button\":\"") + buttonName(detail) +
                                          "\",\"clickCount\":" + std::to_string(clickCount);
                write(t, press ? "mouseDown" : "mouseUp", synthetic, extra);
                break;
            }
            case XI_RawKeyPress:
            case XI_RawKeyRelease: {
                const int code = keyCode(static_cast<int>(detail));
                const bool modifier = code >= 54 && code < 64;
                const char* type = modifier ? "flagsChanged" : raw.evtype == XI_RawKeyPress ? "keyDown" : "keyUp";
                write(t, type, synthetic, ",\"keyCode\":" + std::to_string(code));
                break;
            }
            default: break;
        }
    }
};

int usage() {
    std::fprintf(stderr,
                 "usage: brevanor-harness-logger [--display NAME] [--output FILE] [--synthetic xtest|always|never]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string displayName, outputPath;
    Logger logger;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return usage();
        const std::string value = argv[++i];
        if (option == "--display") {
            displayName = value;
        } else if (option == "--output") {
            outputPath = value;
        } else if (option == "--synthetic" && (value == "xtest" || value == "always" || value == "never")) {
            logger.syntheticMode = value;
        } else {
            return usage();
        }
    }

    logger.display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (!logger.display) {
        std::fprintf(stderr, "brevanor-harness-logger: cannot open the X display\n");
        return 1;
    }
    int event = 0, error = 0, major = 2, minor = 2;
    if (!XQueryExtension(logger.display, "XInputExtension", &logger.xinputOpcode, &event, &error) ||
        XIQueryVersion(logger.display, &major, &minor) != Success) {
        std::fprintf(stderr, "brevanor-harness-logger: the X server has no XInput 2.2\n");
        return 1;
    }
    logger.readKeyNames();
    logger.readXTestDevices();
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    for (int type : {XI_RawKeyPress, XI_RawKeyRelease, XI_RawButtonPress, XI_RawButtonRelease, XI_RawMotion}) {
        XISetMask(bits, type);
    }
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(logger.display, DefaultRootWindow(logger.display), &mask, 1);
    XSync(logger.display, False);

    if (pipe(wakePipe) != 0) return 1;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    if (!outputPath.empty()) {
        // Written under a temporary name and renamed, so the file appears only once the logger listens.
        const std::string temporary = outputPath + ".starting";
        logger.out = std::fopen(temporary.c_str(), "w");
        if (!logger.out || std::rename(temporary.c_str(), outputPath.c_str()) != 0) {
            std::fprintf(stderr, "brevanor-harness-logger: cannot write %s\n", outputPath.c_str());
            return 1;
        }
    }

    logger.lines = std::make_unique<LineWriter>(logger.out);
    pollfd waits[2] = {{ConnectionNumber(logger.display), POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
    while (!stopRequested) {
        while (!stopRequested && XPending(logger.display) > 0) {
            XEvent xevent;
            XNextEvent(logger.display, &xevent);
            const std::uint64_t t = nowNanos();
            XGenericEventCookie* cookie = &xevent.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != logger.xinputOpcode) continue;
            if (!XGetEventData(logger.display, cookie)) continue;
            logger.handle(*static_cast<const XIRawEvent*>(cookie->data), t);
            XFreeEventData(logger.display, cookie);
        }
        if (poll(waits, 2, -1) < 0) continue;
        if (waits[0].revents & (POLLHUP | POLLERR)) break;
    }
    logger.lines.reset();
    if (logger.out != stdout) std::fclose(logger.out);
    XCloseDisplay(logger.display);
    return 0;
}
