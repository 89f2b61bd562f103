// tessaly-cli find FILE.cvp TEXT [--case] [--whole-word] [--from-page N]: the text records of a
// prepared report that the preview's find command counts as matches, in report order:
//   match K: page P record R bounds L T R B
// (K the match's ordinal over the whole report, P from 1, R the preview's record number, the
// bounds as the record stores them), then "matches: M" for the whole report. With --from-page
// only matches on page N or later are listed. Without --whole-word parts of words match, as in the
// find dialog. Options may come anywhere; "--" ends them (for a text beginning with "--").
#include <cinttypes>
#include <cstdio>

#include "cli/Args.h"
#include "cli/Commands.h"
#include "engine/report/CV_FindText.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/core/Errors.h"

namespace tessaly::cli {

namespace {

struct FindArgs {
    std::string file;
    TTextQuery query;
    int fromPage = 1;
};

bool ParseArgs(const std::vector<std::string>& args, FindArgs& out) {
    std::vector<std::string> positional;
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
        } else if (options && a == "--case") {
            out.query.MatchCase = true;
        } else if (options && a == "--whole-word") {
            out.query.PartOfWord = false;
        } else if (options && a == "--from-page") {
            if (i + 1 >= args.size() || !ParsePositive(args[i + 1], out.fromPage)) return false;
            ++i;
        } else if (options && a.starts_with("--")) {
            return false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2 || positional[0].empty()) return false;
    out.file = positional[0];
    out.query.Text = Utf8ToCp1252(positional[1]);
    return true;
}

}  // namespace

int RunFind(const Args& args) {
    FindArgs find;
    if (!ParseArgs(args, find)) return kWrongUsage;
    EngineUnits units(nullptr);
    try {
        TcvReport report(nullptr);
        report.LoadPreparedReport(find.file);
        const int total = ForEachTextMatch(report.EMFPages(), find.query, [&](const TTextMatch& m) {
            if (m.PageIndex + 1 >= find.fromPage)
                std::printf("match %d: page %d record %" PRId64 " bounds %d %d %d %d\n", m.Ordinal, m.PageIndex + 1,
                            m.RecordNo, m.Bounds.left, m.Bounds.top, m.Bounds.right, m.Bounds.bottom);
            return true;
        });
        std::printf("matches: %d\n", total);
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    return 0;
}

}  // namespace tessaly::cli
