#include "platform/core/Errors.h"

#include "platform/core/Cp1252.h"

namespace tessaly {

EngineError::EngineError(std::string message)
    : message_(std::move(message)), utf8_(Cp1252ToUtf8(message_)) {}

EListError::EListError(int64_t index)
    : EngineError("List index out of bounds (" + std::to_string(index) + ")") {}

std::string FormatMessage(const std::string& pattern, std::initializer_list<std::string> args) {
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            char k = pattern[i + 1];
            if (k == '%') {
                out += '%';
                ++i;
                continue;
            }
            if ((k == 's' || k == 'd') && next != args.end()) {
                out += *next++;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

}  // namespace tessaly
