#include <gtest/gtest.h>

#include <bit>
#include <random>

#include "core/model/RecordingJSONDecoder.h"
#include "core/model/RecordingJSONEncoder.h"
#include "tests/model/RecordingSamples.h"

namespace brevanor {
namespace {

// Random recordings with values from the whole range of every field.
class RandomRecordings {
public:
    explicit RandomRecordings(std::uint64_t seed) : random_(seed) {}

    Recording next() {
        Recording recording(Uuid::random(), text(), Date{} + std::chrono::seconds{integer<std::int32_t>()} * 4,
                            environment(), settings(), {integer<std::uint64_t>(), integer<std::uint64_t>()}, {});
        recording.schemaVersion = std::min<std::int64_t>(integer<std::int64_t>(), 1);
        const std::size_t count = below(40);
        for (std::size_t i = 0; i < count; ++i) recording.events.push_back(event());
        return recording;
    }

private:
    template <typename T>
    T integer() {
        return static_cast<T>(random_());
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(random_() % n); }
    bool coin() { return (random_() & 1) != 0; }

    // Any finite double: random bit patterns (subnormals, huge, negative zero) or small values.
    double real() {
        if (coin()) return static_cast<double>(integer<std::int16_t>()) / 8;
        for (;;) {
            const double value = std::bit_cast<double>(random_());
            if (std::isfinite(value)) return value;
        }
    }

    std::string text() {
        static const std::vector<std::string> pieces{
            "a",    "Z", " ", "\"", "\\", "/",    "\n",  "\t", std::string(1, '\0'),
            "\x1f", "é", "—", "“",  "😀",  "日本", "\x7f"};
        std::string result;
        const std::size_t count = below(12);
        for (std::size_t i = 0; i < count; ++i) result += pieces[below(pieces.size())];
        return result;
    }

    FrameRect frame() { return {real(), real(), real(), real()}; }

    EnvironmentSnapshot environment() {
        EnvironmentSnapshot environment;
        const std::size_t displays = below(4);
        for (std::size_t i = 0; i < displays; ++i)
            environment.displays.push_back({integer<std::uint32_t>(), frame(), real()});
        if (coin()) {
            FrontmostAppInfo app;
            if (coin()) app.bundleID = text();
            if (coin()) app.name = text();
            if (coin()) app.windowTitle = text();
            if (coin()) app.windowFrame = frame();
            environment.frontmostApp = app;
        }
        if (coin()) environment.keyboardInputSourceID = text();
        environment.relativePositions = coin();
        return environment;
    }

    RecordingSettings settings() {
        RecordingSettings settings;
        settings.repeatCount = integer<std::int64_t>();
        settings.repeatInfinite = coin();
        settings.delayBetweenRepeatsSec = real();
        settings.speed = real();
        settings.cursorMode = kAllCursorModes[below(kAllCursorModes.size())];
        if (coin()) settings.playHotkey = HotkeyChord{integer<std::uint16_t>(), integer<std::uint64_t>()};
        settings.notes = text();
        settings.containsSensitiveInput = coin();
        settings.extraDelayBeforeClickMs = integer<std::int64_t>();
        for (PreflightWarningKind kind : kSilenceablePreflightWarningKinds) {
            if (coin()) settings.silencedWarnings.insert(kind);
        }
        return settings;
    }

    RecordingEvent event() {
        const auto t = integer<std::uint64_t>();
        const auto mods = integer<std::uint64_t>();
        switch (below(8)) {
            case 0:
            case 1: {
                const MouseButtonEvent e{t,
                                         kAllMouseButtons[below(4)],
                                         coin() ? 0 : integer<std::int64_t>(),
                                         real(),
                                         real(),
                                         integer<std::int64_t>(),
                                         mods};
                return coin() ? RecordingEvent::mouseDown(e) : RecordingEvent::mouseUp(e);
            }
            case 2: {
                MousePathEvent path{t, {}};
                const std::size_t count = below(5);
                for (std::size_t i = 0; i < count; ++i)
                    path.points.push_back({integer<std::uint64_t>(), real(), real()});
                return RecordingEvent::mousePath(std::move(path));
            }
            case 3:
                return RecordingEvent::scroll({t, real(), real(), integer<std::int64_t>(), integer<std::int64_t>(),
                                               integer<std::int64_t>(), integer<std::int64_t>(), coin(),
                                               integer<std::uint32_t>(), integer<std::uint32_t>(), mods});
            case 4: return RecordingEvent::keyDown({t, integer<std::uint16_t>(), mods, coin()});
            case 5: return RecordingEvent::keyUp({t, integer<std::uint16_t>(), mods, false});
            case 6: return RecordingEvent::flagsChanged({t, integer<std::uint16_t>(), mods, coin()});
            default: return RecordingEvent::idleGap({t, integer<std::uint64_t>()});
        }
    }

    std::mt19937_64 random_;
};

TEST(RecordingDocumentRoundTrip, RandomRecordingsReadBackEqual) {
    RandomRecordings recordings(20261205);
    const RecordingJSONEncoder encoder = Recording::makeJSONEncoder();
    RecordingJSONDecoder decoder = Recording::makeJSONDecoder();
    for (int i = 0; i < 300; ++i) {
        const Recording original = recordings.next();
        const std::string bytes = encoder.encode(original);
        const Recording read = decoder.decode(bytes);
        ASSERT_EQ(read, original) << "recording " << i << ": " << bytes;
        ASSERT_EQ(encoder.encode(read), bytes);
    }
}

}  // namespace
}  // namespace brevanor
