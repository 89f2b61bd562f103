// tessaly-cli's command table: help, usage, exit codes, and running without a display.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CliRun.h"

using tessaly::testing::CliResult;
using tessaly::testing::RunCli;
using tessaly::testing::RunShell;

namespace {

const std::string kCommands[] = {"info", "copy", "render", "find", "text", "pdf", "print", "eval", "words", "help",
                                 "version"};

TEST(CliCommands, HelpListsEveryCommandWithItsUsageOnStandardOutput) {
    for (const char* args : {"--help", "help", "-h"}) {
        CliResult r = RunCli(args);
        EXPECT_EQ(r.exitCode, 0) << args;
        EXPECT_EQ(r.err, "") << args;
        EXPECT_EQ(r.out.rfind("uso: tessaly-cli COMANDO [argomenti]\ncomandi:\n", 0), 0u) << args;
        for (const std::string& name : kCommands) EXPECT_NE(r.out.find("\n  " + name), std::string::npos) << name;
    }
}

TEST(CliCommands, HelpOfACommandIsItsUsageAndWhatItDoes) {
    struct Case {
        std::string args;
        std::string usage;
    } cases[] = {
        {"help pdf", "uso: tessaly-cli pdf IN.cvp -o OUT.pdf\n"},
        {"pdf --help", "uso: tessaly-cli pdf IN.cvp -o OUT.pdf\n"},
        {"help text", "uso: tessaly-cli text IN.cvp [-o OUT.txt]\n"},
        {"help version", "uso: tessaly-cli version\n"},
    };
    for (const Case& c : cases) {
        CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 0) << c.args;
        EXPECT_EQ(r.out.substr(0, c.usage.size()), c.usage) << c.args;
        EXPECT_GT(r.out.size(), c.usage.size() + 1) << "a line on what it does: " << c.args;
        EXPECT_EQ(r.err, "") << c.args;
    }
}

TEST(CliCommands, WrongUsageExitsTwoWithTheUsageOnStandardError) {
    struct Case {
        std::string args;
        std::string err;  // empty: the overview of all commands
    } cases[] = {
        {"", ""},
        {"nessuno", ""},
        {"help nessuno", "uso: tessaly-cli help [COMANDO]\n"},
        {"info", "uso: tessaly-cli info FILE.cvp|FILE.emf\n"},
        {"info a b", "uso: tessaly-cli info FILE.cvp|FILE.emf\n"},
        {"copy a", "uso: tessaly-cli copy IN OUT\n"},
        {"render x.cvp", "uso: tessaly-cli render FILE [--page N] [--zoom Z] -o OUT.png\n"},
        {"eval", "uso: tessaly-cli eval EXPR\n"},
        {"words", "uso: tessaly-cli words NUMERO...\n"},
        {"version x", "uso: tessaly-cli version\n"},
    };
    for (const Case& c : cases) {
        CliResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.args;
        EXPECT_EQ(r.out, "") << c.args;
        if (c.err.empty())
            EXPECT_EQ(r.err.rfind("uso: tessaly-cli COMANDO", 0), 0u) << c.args;
        else
            EXPECT_EQ(r.err, c.err) << c.args;
    }
}

TEST(CliCommands, RunsWithoutADisplayOrRuntimeFolderPrintingOnlyItsOwnOutput) {
    const std::string example = std::string(TESSALY_SOURCE_DIR) + "/examples/mixed.cvp";
    const std::filesystem::path out = std::filesystem::temp_directory_path() / "tessaly-cli-bare.png";
    const std::string bare = "env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR -u QT_QPA_PLATFORM " +
                             std::string(TESSALY_BIN_DIR) + "/tessaly-cli ";
    for (const std::string& args : {"render '" + example + "' -o '" + out.string() + "'", "text '" + example + "'",
                                    std::string("version")}) {
        CliResult r = RunShell(bare + args);
        EXPECT_EQ(r.exitCode, 0) << args;
        EXPECT_EQ(r.err, "") << args;
    }
    EXPECT_TRUE(std::filesystem::exists(out));
    std::filesystem::remove(out);
}

}  // namespace
