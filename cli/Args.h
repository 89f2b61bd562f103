#pragma once
// Reading the arguments of tessaly-cli commands.
#include <string>
#include <vector>

namespace tessaly::cli {

// Reads a whole positive number; false for anything else (signs, letters, overflow).
inline bool ParsePositive(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v < 1) return false;
    value = v;
    return true;
}

// "IN [-o OUT]" in either order: one input not starting with "-" and at most one "-o OUT" (`out`
// stays empty without it; another option name may stand for "-o"). False for anything else or
// without an input.
inline bool ParseInputAndOutput(const std::vector<std::string>& args, std::string& in, std::string& out,
                                const char* option = "-o") {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == option && i + 1 < args.size() && out.empty())
            out = args[++i];
        else if (in.empty() && !args[i].empty() && args[i][0] != '-')
            in = args[i];
        else
            return false;
    }
    return !in.empty();
}

}  // namespace tessaly::cli
