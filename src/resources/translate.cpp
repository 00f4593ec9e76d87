#include "resources/translate.h"

#include <vector>

#include <QCoreApplication>
#include <QString>

namespace tavimo {

std::string TrText(const char* context, const char* source) {
    return QCoreApplication::translate(context, source).toStdString();
}

// One pass over the pattern, so an argument that itself holds "%2" (a file
// name, a chapter title) is put in as it is and never replaced again.
std::string TrArg(const std::string& pattern, std::initializer_list<std::string> args) {
    const std::vector<std::string> values(args);
    std::string out;
    out.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
            pattern[i + 1] <= '9') {
            const size_t index = static_cast<size_t>(pattern[i + 1] - '1');
            if (index < values.size()) {
                out += values[index];
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

std::string MenuLiteral(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '&')
            out += '&';
        out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
    return out;
}

}  // namespace tavimo
