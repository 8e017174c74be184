#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    brevanor::Cli cli(argv[0], {std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) == 1, isatty(STDERR_FILENO) == 1});
    return cli.run(std::vector<std::string>(argv + 1, argv + argc));
}
