// tessaly-cli copy IN OUT: loads a prepared report and saves it again (".cvp" is added to a name
// without any ".").
#include "cli/Commands.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/core/Errors.h"

namespace tessaly::cli {

int RunCopy(const Args& args) {
    if (args.size() != 2) return kWrongUsage;
    EngineUnits units(nullptr);
    try {
        TcvReport report(nullptr);
        report.LoadPreparedReport(args[0]);
        report.SavePreparedReport(args[1]);
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    return 0;
}

}  // namespace tessaly::cli
