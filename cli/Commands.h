#pragma once
// Registry of tessaly-cli commands. A command file defines its function and registers it:
//   static int Run(const std::vector<std::string>& args) { ... }
//   TESSALY_CLI_COMMAND("info", "info FILE", Run);
// args holds the arguments after the command name. Output goes to stdout; errors go to stderr
// with exit code 1.
#include <functional>
#include <string>
#include <vector>

namespace tessaly::cli {

using CommandFn = std::function<int(const std::vector<std::string>& args)>;

struct Command {
    std::string name;
    std::string usage;
    CommandFn run;
};

std::vector<Command>& Registry();

struct Registrar {
    Registrar(std::string name, std::string usage, CommandFn run) {
        Registry().push_back({std::move(name), std::move(usage), std::move(run)});
    }
};

// Prints an engine error (cp1252) as UTF-8 on stderr and returns 1.
int Fail(const std::string& cp1252Message);

}  // namespace tessaly::cli

#define TESSALY_CLI_CONCAT2(a, b) a##b
#define TESSALY_CLI_CONCAT(a, b) TESSALY_CLI_CONCAT2(a, b)
#define TESSALY_CLI_COMMAND(name, usage, fn) \
    static ::tessaly::cli::Registrar TESSALY_CLI_CONCAT(cliCommand_, __LINE__)(name, usage, fn)
