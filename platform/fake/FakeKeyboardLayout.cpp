#include "platform/fake/FakeKeyboardLayout.h"

namespace brevanor {

FakeKeyboardLayout FakeKeyboardLayout::us() {
    FakeKeyboardLayout layout;
    layout.inputSourceId = "us";
    layout.characters = {
        {0, "a"},  {1, "s"},   {2, "d"},  {3, "f"},  {4, "h"},  {5, "g"},   {6, "z"},  {7, "x"},   {8, "c"},  {9, "v"},
        {11, "b"}, {12, "q"},  {13, "w"}, {14, "e"}, {15, "r"}, {16, "y"},  {17, "t"}, {18, "1"},  {19, "2"}, {20, "3"},
        {21, "4"}, {22, "6"},  {23, "5"}, {24, "="}, {25, "9"}, {26, "7"},  {27, "-"}, {28, "8"},  {29, "0"}, {30, "]"},
        {31, "o"}, {32, "u"},  {33, "["}, {34, "i"}, {35, "p"}, {36, "\r"}, {37, "l"}, {38, "j"},  {39, "'"}, {40, "k"},
        {41, ";"}, {42, "\\"}, {43, ","}, {44, "/"}, {45, "n"}, {46, "m"},  {47, "."}, {48, "\t"}, {49, " "}, {50, "`"},
    };
    return layout;
}

FakeKeyboardLayout FakeKeyboardLayout::german() {
    FakeKeyboardLayout layout = us();
    layout.inputSourceId = "de";
    layout.characters[6] = "y";
    layout.characters[16] = "z";
    layout.characters[24] = "´";
    layout.characters[27] = "ß";
    layout.characters[30] = "+";
    layout.characters[33] = "ü";
    layout.characters[39] = "ä";
    layout.characters[41] = "ö";
    layout.characters[42] = "#";
    layout.characters[44] = "-";
    layout.characters[50] = "<";
    return layout;
}

std::optional<std::string> FakeKeyboardLayout::currentInputSourceId() { return inputSourceId; }

std::optional<std::string> FakeKeyboardLayout::character(std::uint16_t keyCode) {
    const auto found = characters.find(keyCode);
    if (found == characters.end()) return std::nullopt;
    return found->second;
}

}  // namespace brevanor
