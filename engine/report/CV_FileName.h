#pragma once
// The default-extension rule of the engine's file operations.
#include <filesystem>

namespace tessaly {

// A file name with no "." at all gets the default extension. Only the name is looked at, not its
// folders: dotted folder names ("/home/mario.rossi", "~/.local") are ordinary here.
inline std::filesystem::path WithDefaultExtension(const std::filesystem::path& name, const char* extension) {
    if (name.filename().native().find('.') != std::string::npos) return name;
    std::filesystem::path result = name;
    result += extension;
    return result;
}

}  // namespace tessaly
