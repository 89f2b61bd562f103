// tessaly-cli find, run as a program on the sample price list (20 pages; "Pagina N di 20" in each
// page's heading).
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "CliRun.h"

namespace fs = std::filesystem;
using tessaly::testing::CliResult;
using tessaly::testing::RunCli;

namespace {

// tessaly-cli find with arguments that are already quoted for the shell.
CliResult Find(const std::string& args) { return RunCli("find " + args); }

const std::string kListing = "'" + (fs::path(TESSALY_SOURCE_DIR) / "examples" / "listing.cvp").string() + "'";

// The "match" lines as (ordinal, page), each checked for its form and its record number's page.
std::vector<std::pair<int, int>> Matches(const std::string& out) {
    static const std::regex line(R"(match (\d+): page (\d+) record (\d+) bounds -?\d+ -?\d+ -?\d+ -?\d+)");
    std::vector<std::pair<int, int>> found;
    size_t start = 0;
    while (start < out.size()) {
        const size_t end = out.find('\n', start);
        const std::string text = out.substr(start, end - start);
        start = end == std::string::npos ? out.size() : end + 1;
        std::smatch m;
        if (text.rfind("matches: ", 0) == 0) continue;
        EXPECT_TRUE(std::regex_match(text, m, line)) << text;
        if (m.empty()) continue;
        const int page = std::stoi(m[2]);
        EXPECT_EQ(std::stoll(m[3]) / 10000, page - 1) << text;
        found.emplace_back(std::stoi(m[1]), page);
    }
    return found;
}

TEST(CliFind, ListsTheMatchesThePreviewCounts) {
    using List = std::vector<std::pair<int, int>>;
    struct Case {
        std::string args;
        List listed;
        int total;
    } cases[] = {
        {"'Pagina 2'", {{1, 2}, {2, 20}}, 2},          // "Pagina 20 di 20" holds it too
        {"'pagina 2'", {{1, 2}, {2, 20}}, 2},          // a to z folded
        {"'pagina 2' --case", {}, 0},
        {"--whole-word 'Pagina 2'", {{1, 2}}, 1},      // "Pagina 20" is another word
        {"'Pagina 2' --from-page 3", {{2, 20}}, 2},    // ordinals and total over the whole report
        {"'Pagina 2' --from-page 21", {}, 2},
        {"'nessun testo simile'", {}, 0},
        {"''", {}, 0},
    };
    for (const Case& c : cases) {
        const CliResult r = Find(kListing + " " + c.args);
        EXPECT_EQ(r.exitCode, 0) << c.args << r.err;
        EXPECT_EQ(Matches(r.out), c.listed) << c.args;
        EXPECT_EQ(r.out.substr(r.out.rfind("matches: ")), "matches: " + std::to_string(c.total) + "\n") << c.args;
    }
}

TEST(CliFind, RefusesWrongArgumentsAndFiles) {
    struct Case {
        std::string args;
        int exitCode;  // 2 wrong usage, 1 a file it cannot search
    } cases[] = {
        {"", 2},
        {kListing, 2},
        {kListing + " a b", 2},
        {kListing + " a --from-page 0", 2},
        {kListing + " a --from-page", 2},
        {kListing + " a --whole", 2},
        {"/nonexistent/report.cvp a", 1},
        {"'" + (fs::path(TESSALY_SOURCE_DIR) / "README.md").string() + "' a", 1},
    };
    for (const Case& c : cases) {
        const CliResult r = Find(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args;
        EXPECT_FALSE(r.err.empty()) << c.args;
        EXPECT_EQ(r.out.find("matches"), std::string::npos) << c.args;
        if (c.exitCode == 2) {
            EXPECT_EQ(r.err, "uso: tessaly-cli find FILE.cvp TESTO [--case] [--whole-word] [--from-page N]\n") << c.args;
        }
    }
}

}  // namespace
