// tessaly-cli: a host program over the report engine. Commands are added by name.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/EngineInfo.h"

namespace {

int Usage() {
    std::fprintf(stderr, "uso: tessaly-cli COMANDO [argomenti]\n"
                         "comandi: version\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) return Usage();
    std::string command = argv[1];
    if (command == "version" || command == "--version") {
        std::printf("tessaly-cli %s\n", tessaly::EngineVersion());
        return 0;
    }
    return Usage();
}
