#pragma once

#include <fstream>
#include <string>

namespace brevanor {

// A memory field of /proc/self/status in bytes ("VmHWM", "VmRSS"); 0 where it is missing.
inline double statusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1)) * 1024;
    }
    return 0;
}

}  // namespace brevanor
