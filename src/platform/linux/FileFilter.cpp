#include "platform/linux/FileFilter.h"

#include <vector>

namespace platform::linux_backend {

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

// "Executable Files (*.exe)" -> "Executable Files": the dialog takes its
// patterns from the parentheses, so they are written afresh from the pattern part.
std::string_view withoutPatternList(std::string_view description) {
    while (description.ends_with(' ')) description.remove_suffix(1);
    if (description.ends_with(')')) {
        const auto open = description.rfind('(');
        if (open != std::string_view::npos) description = description.substr(0, open);
    }
    while (description.ends_with(' ')) description.remove_suffix(1);
    return description;
}

std::string dialogPatterns(std::string_view patterns) {
    std::string result;
    for (std::string_view pattern : split(patterns, ';')) {
        if (pattern.empty()) continue;
        if (!result.empty()) result += ' ';
        result += pattern == "*.*" ? std::string_view("*") : pattern;
    }
    return result.empty() ? "*" : result;
}

}  // namespace

std::string toDialogFilters(std::string_view filter) {
    if (filter.find('|') == std::string_view::npos) return std::string(filter);
    const auto parts = split(filter, '|');
    std::string result;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (!result.empty()) result += ";;";
        const std::string_view description = withoutPatternList(parts[i]);
        if (!description.empty()) {
            result += description;
            result += ' ';
        }
        // Appended piece by piece: GCC 12 at -O3 misreads "(" + std::string as
        // an overlapping copy (-Wrestrict).
        result += '(';
        result += dialogPatterns(parts[i + 1]);
        result += ')';
    }
    return result;
}

}  // namespace platform::linux_backend
