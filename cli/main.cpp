#include <cstring>
#include <iostream>
#include <string_view>

namespace {

constexpr std::string_view kUsage =
    "Usage: brevanor-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Brevanor records mouse and keyboard input and replays it.\n"
    "\n"
    "Commands:\n"
    "  help      show this text\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
        std::cout << kUsage;
        return 0;
    }
    std::cerr << "brevanor-cli: unknown command \"" << argv[1] << "\". Run brevanor-cli help for the commands.\n";
    return 2;
}
