#include "engine/HeaderFields.h"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithField(std::string_view line, std::string_view fieldName) {
    if (line.size() < fieldName.size() + 2) return false;
    for (size_t i = 0; i < fieldName.size(); ++i)
        if (Lower(line[i]) != Lower(fieldName[i])) return false;
    return line[fieldName.size()] == ':' && line[fieldName.size() + 1] == ' ';
}

}  // namespace

std::string_view HeaderSection(std::string_view text) {
    if (!text.empty() && text.front() == '\n') return text.substr(0, 0);
    const size_t emptyLine = text.find("\n\n");
    return emptyLine == std::string_view::npos ? text : text.substr(0, emptyLine + 1);
}

std::string_view HeaderFieldValue(std::string_view text, std::string_view fieldName) {
    std::string_view rest = HeaderSection(text);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        if (StartsWithField(line, fieldName)) return line.substr(fieldName.size() + 2);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return {};
}
