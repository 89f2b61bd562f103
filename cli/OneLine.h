#pragma once
// Text that must stay on one output line: tabs and line breaks written as \t, \r, \n.
#include <string>

namespace tessaly::cli {

inline std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\t') line += "\\t";
        else if (c == '\r') line += "\\r";
        else if (c == '\n') line += "\\n";
        else line += c;
    }
    return line;
}

}  // namespace tessaly::cli
