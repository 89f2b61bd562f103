#pragma once
// Runs tessaly-cli (or any shell command) for the cli tests: its exit code, and its standard
// output and standard error each on its own.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tessaly::testing {

struct CliResult {
    int exitCode = -1;  // -1 when the command did not run or did not exit normally
    std::string out;
    std::string err;
};

// Runs a shell command; its standard error is caught in a file of this process.
inline CliResult RunShell(const std::string& command) {
    const std::filesystem::path errFile =
        std::filesystem::temp_directory_path() / ("tessaly-cli-test-err-" + std::to_string(::getpid()));
    CliResult r;
    FILE* p = popen((command + " 2>'" + errFile.string() + "'").c_str(), "r");
    if (!p) return r;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) r.out.append(buffer, n);
    const int status = pclose(p);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    {
        std::ifstream e(errFile);
        r.err.assign(std::istreambuf_iterator<char>(e), {});
    }
    std::filesystem::remove(errFile);
    return r;
}

// tessaly-cli with arguments that are already quoted for the shell.
inline CliResult RunCli(const std::string& args) {
    return RunShell(std::string(TESSALY_BIN_DIR) + "/tessaly-cli " + args);
}

}  // namespace tessaly::testing
