#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/model/HotkeyChordJSON.h"

namespace brevanor {
namespace {

std::vector<std::uint8_t> bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(HotkeyChordJSON, WritesBothNumbersAndReadsOnlyWholeNumbersInRange) {
    const auto data = HotkeyChordJSON::encode(HotkeyChord::defaultStop);
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->begin(), data->end()), R"({"keyCode":7,"modifiers":1835008})");
    EXPECT_EQ(HotkeyChordJSON::decode(*data), HotkeyChord::defaultStop);
    EXPECT_EQ(HotkeyChordJSON::decode(bytes(R"({"modifiers":0,"keyCode":65535,"extra":[1]})")),
              (HotkeyChord{65535, 0}));
    EXPECT_EQ(HotkeyChordJSON::decode(bytes(R"({"modifiers":1310720.0,"keyCode":1.2e1})")), (HotkeyChord{12, 1310720}));
    for (const char* bad : {R"({"keyCode":-1,"modifiers":0})", R"({"keyCode":1})", R"({"keyCode":"1","modifiers":0})",
                            R"({"keyCode":1,"modifiers":1e300})", R"([1,2])", ""}) {
        EXPECT_EQ(HotkeyChordJSON::decode(bytes(bad)), std::nullopt) << bad;
    }
    EXPECT_EQ(HotkeyChordJSON::encode({1, std::uint64_t{1} << 63}), std::nullopt);
}

}  // namespace
}  // namespace brevanor
