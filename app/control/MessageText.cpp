#include "app/control/MessageText.h"

#include <vector>

namespace brevanor {

std::string fillIn(std::string_view text, std::initializer_list<std::string_view> values) {
    const std::vector<std::string_view> args(values);
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(text[i + 1] - '1');
            if (index < args.size()) {
                result.append(args[index]);
                ++i;
                continue;
            }
        }
        result.push_back(text[i]);
    }
    return result;
}

std::string joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string result;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) result.append(separator);
        result.append(parts[i]);
    }
    return result;
}

}  // namespace brevanor
