// tessaly-cli: a host program over the report engine. Commands register themselves (Commands.h).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "engine/report/EngineInfo.h"
#include "platform/core/Cp1252.h"

namespace tessaly::cli {

std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

int Fail(const std::string& cp1252Message) {
    std::fprintf(stderr, "%s\n", Cp1252ToUtf8(cp1252Message).c_str());
    return 1;
}

}  // namespace tessaly::cli

namespace {

int Usage() {
    std::fprintf(stderr, "uso: tessaly-cli COMANDO [argomenti]\ncomandi:\n");
    for (const auto& c : tessaly::cli::Registry()) std::fprintf(stderr, "  %s\n", c.usage.c_str());
    std::fprintf(stderr, "  version\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) return Usage();
    std::string name = argv[1];
    if (name == "version" || name == "--version") {
        std::printf("tessaly-cli %s\n", tessaly::EngineVersion());
        return 0;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& c : tessaly::cli::Registry())
        if (c.name == name) return c.run(args);
    return Usage();
}
