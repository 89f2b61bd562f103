// tessaly-cli info FILE.cvp: the pages of a prepared report with their paper and metrics.
#include <cstdio>

#include "cli/Commands.h"
#include "cli/InfoFormats.h"
#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/report/CV_Startup.h"
#include "platform/core/Errors.h"

namespace tessaly::cli {

int DescribePreparedReport(const std::filesystem::path& file) {
    EngineUnits units(nullptr);
    try {
        TcvReport report(nullptr);
        report.LoadPreparedReport(file);
        const TcvEMFPages& pages = report.EMFPages();
        std::printf("pages: %d\n", pages.Count());
        for (int i = 0; i < pages.Count(); ++i) {
            const PreparedPage& p = pages.Pages(i);
            std::printf("page %d: paper %u, %d x %d, orientation %u, flag %u, screen %d x %d, "
                        "printable %d x %d, drawing %zu bytes\n",
                        i + 1, unsigned{p.PaperSize}, p.Width, p.Height, unsigned{p.Orientation},
                        unsigned{p.PageFlag}, p.Info.ScreenPageWidth, p.Info.ScreenPageHeight,
                        p.Info.PrintableWidth, p.Info.PrintableHeight, p.Drawing.Bytes().size());
        }
    } catch (const EngineError& e) {
        return Fail(e.Message());
    }
    return 0;
}

}  // namespace tessaly::cli
