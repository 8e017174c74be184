#include "platform/x11/X11KeyCodeMap.h"

#include <array>

namespace brevanor::X11KeyCodeMap {

namespace {

struct Entry {
    std::uint16_t evdev;    // the Linux input key code (X key code - 8)
    std::uint16_t neutral;  // the neutral virtual key code
};

// Every key of a full-size keyboard with a neutral counterpart. Keys the
// neutral layout lacks (Print, Scroll Lock, Pause, the extra Japanese and
// Korean keys, media keys beyond the volume keys) take private codes.
// Decisions where the keyboards differ: Num Lock is the keypad Clear key that
// sits in its place, Insert is the Help key that sits in its place, the Menu
// key is the contextual-menu key, the extra ISO key beside left Shift is the
// ISO section key, and Muhenkan/Henkan beside the space bar are Eisu/Kana.
constexpr auto kEntries = std::to_array<Entry>({
    {1, 53},     // Escape
    {2, 18},     // 1
    {3, 19},     // 2
    {4, 20},     // 3
    {5, 21},     // 4
    {6, 23},     // 5
    {7, 22},     // 6
    {8, 26},     // 7
    {9, 28},     // 8
    {10, 25},    // 9
    {11, 29},    // 0
    {12, 27},    // minus
    {13, 24},    // equal
    {14, 51},    // Backspace (Delete)
    {15, 48},    // Tab
    {16, 12},    // Q
    {17, 13},    // W
    {18, 14},    // E
    {19, 15},    // R
    {20, 17},    // T
    {21, 16},    // Y
    {22, 32},    // U
    {23, 34},    // I
    {24, 31},    // O
    {25, 35},    // P
    {26, 33},    // left bracket
    {27, 30},    // right bracket
    {28, 36},    // Return
    {29, 59},    // left Control
    {30, 0},     // A
    {31, 1},     // S
    {32, 2},     // D
    {33, 3},     // F
    {34, 5},     // G
    {35, 4},     // H
    {36, 38},    // J
    {37, 40},    // K
    {38, 37},    // L
    {39, 41},    // semicolon
    {40, 39},    // apostrophe
    {41, 50},    // grave accent
    {42, 56},    // left Shift
    {43, 42},    // backslash
    {44, 6},     // Z
    {45, 7},     // X
    {46, 8},     // C
    {47, 9},     // V
    {48, 11},    // B
    {49, 45},    // N
    {50, 46},    // M
    {51, 43},    // comma
    {52, 47},    // period
    {53, 44},    // slash
    {54, 60},    // right Shift
    {55, 67},    // keypad *
    {56, 58},    // left Alt (Option)
    {57, 49},    // Space
    {58, 57},    // Caps Lock
    {59, 122},   // F1
    {60, 120},   // F2
    {61, 99},    // F3
    {62, 118},   // F4
    {63, 96},    // F5
    {64, 97},    // F6
    {65, 98},    // F7
    {66, 100},   // F8
    {67, 101},   // F9
    {68, 109},   // F10
    {69, 71},    // Num Lock (keypad Clear)
    {71, 89},    // keypad 7
    {72, 91},    // keypad 8
    {73, 92},    // keypad 9
    {74, 78},    // keypad -
    {75, 86},    // keypad 4
    {76, 87},    // keypad 5
    {77, 88},    // keypad 6
    {78, 69},    // keypad +
    {79, 83},    // keypad 1
    {80, 84},    // keypad 2
    {81, 85},    // keypad 3
    {82, 82},    // keypad 0
    {83, 65},    // keypad decimal
    {86, 10},    // ISO key beside left Shift (ISO section)
    {87, 103},   // F11
    {88, 111},   // F12
    {89, 94},    // Ro (JIS underscore)
    {92, 104},   // Henkan (JIS Kana)
    {94, 102},   // Muhenkan (JIS Eisu)
    {95, 95},    // keypad JP comma
    {96, 76},    // keypad Enter
    {97, 62},    // right Control
    {98, 75},    // keypad /
    {100, 61},   // right Alt (Option)
    {102, 115},  // Home
    {103, 126},  // Up
    {104, 116},  // Page Up
    {105, 123},  // Left
    {106, 124},  // Right
    {107, 119},  // End
    {108, 125},  // Down
    {109, 121},  // Page Down
    {110, 114},  // Insert (Help)
    {111, 117},  // Delete (forward delete)
    {113, 74},   // Mute
    {114, 73},   // Volume Down
    {115, 72},   // Volume Up
    {117, 81},   // keypad =
    {124, 93},   // Yen
    {125, 55},   // left Super (Command)
    {126, 54},   // right Super (Command)
    {127, 110},  // Menu (contextual menu)
    {183, 105},  // F13
    {184, 107},  // F14
    {185, 113},  // F15
    {186, 106},  // F16
    {187, 64},   // F17
    {188, 79},   // F18
    {189, 80},   // F19
    {190, 90},   // F20
});

constexpr std::uint16_t kNoNeutral = 0xFFFF;
constexpr std::int16_t kNoX = -1;

// Both directions as flat arrays, built once at compile time.
struct Tables {
    std::array<std::uint16_t, 256> neutralOfX{};
    std::array<std::int16_t, 128> xOfNeutral{};
};

constexpr Tables makeTables() {
    Tables tables;
    tables.neutralOfX.fill(kNoNeutral);
    tables.xOfNeutral.fill(kNoX);
    for (const Entry& entry : kEntries) {
        const auto x = static_cast<std::uint16_t>(entry.evdev + kMinXKeyCode);
        tables.neutralOfX[x] = entry.neutral;
        tables.xOfNeutral[entry.neutral] = static_cast<std::int16_t>(x);
    }
    return tables;
}

constexpr Tables kTables = makeTables();

// The table must be a one-to-one map, or the round trip breaks.
constexpr bool isOneToOne() {
    for (std::size_t i = 0; i < kEntries.size(); ++i) {
        for (std::size_t j = i + 1; j < kEntries.size(); ++j) {
            if (kEntries[i].evdev == kEntries[j].evdev || kEntries[i].neutral == kEntries[j].neutral) return false;
        }
        if (kEntries[i].neutral >= 128 || kEntries[i].evdev + kMinXKeyCode > 255) return false;
    }
    return true;
}
static_assert(isOneToOne(), "every X key and every neutral code appears at most once");

}  // namespace

std::uint16_t neutralKeyCode(std::uint8_t xKeyCode) {
    const std::uint16_t neutral = kTables.neutralOfX[xKeyCode];
    if (neutral != kNoNeutral) return neutral;
    return static_cast<std::uint16_t>(kPrivateKeyCodeBase + xKeyCode);
}

std::optional<std::uint8_t> xKeyCode(std::uint16_t neutralKeyCode) {
    if (neutralKeyCode < kTables.xOfNeutral.size()) {
        const std::int16_t x = kTables.xOfNeutral[neutralKeyCode];
        if (x == kNoX) return std::nullopt;
        return static_cast<std::uint8_t>(x);
    }
    if (neutralKeyCode < kPrivateKeyCodeBase + kMinXKeyCode || neutralKeyCode > kPrivateKeyCodeBase + 255) {
        return std::nullopt;
    }
    const auto x = static_cast<std::uint8_t>(neutralKeyCode - kPrivateKeyCodeBase);
    // A private code stands only for an X key without a neutral counterpart.
    if (kTables.neutralOfX[x] != kNoNeutral) return std::nullopt;
    return x;
}

}  // namespace brevanor::X11KeyCodeMap
