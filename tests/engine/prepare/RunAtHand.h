#pragma once
// A preparation held still, for the tests of what its state answers and of the band half of the
// aggregates: a report owned by the form of the sales modules (SalesModules.h), its state installed
// as the run of report texts, one page run of one pass with the bands a test adds and objects
// placed in them. Nothing outlives the test.
#include <memory>
#include <vector>

#include "common/EngineSupport.h"
#include "common/SalesModules.h"
#include "engine/expr/CV_PrepError.h"
#include "engine/model/CV_View.h"
#include "engine/prepare/CV_Band.h"
#include "engine/prepare/CV_PageRun.h"
#include "engine/prepare/CV_PrepState.h"
#include "engine/prepare/CV_Preparation.h"
#include "engine/report/CV_Report.h"
#include "platform/text/FormatSettings.h"

namespace tessaly::testing {

class RunAtHand : private ItalianEngine, public SalesModules {
public:
    RunAtHand() {
        report = new TcvReport(&form);
        report->SetName("Report");
        state = std::make_unique<TcvPreparationState>(*report);
        pass = std::make_unique<TcvPreparation>(*report, *state);
        page.Run = pass.get();
        state->CurrentPage = &page;
        names = std::make_unique<TcvReport::NameScope>(*report, state.get());
    }
    ~RunAtHand() {
        names.reset();
        bands.clear();
    }

    TcvPreparationState& State() { return *state; }
    // A band of the page (the first of its type), with its place and the dataset it walks.
    TcvBand& AddBand(int type, data::Dataset* dataSet = nullptr, int left = 0, int top = 0, int width = 600,
                     int height = 40) {
        bands.push_back(std::make_unique<TcvBand>(static_cast<uint8_t>(type), &page));
        TcvBand& b = *bands.back();
        b.DataSet = dataSet;
        b.Left = left, b.Top = top, b.Width = width, b.Height = height;
        if (!page.Bands[type]) page.Bands[type] = &b;
        return b;
    }
    // A text object printing in `band` (its design place given absolutely).
    TcvView& AddObject(const char* name, TcvBand& band, int left = 10, int top = -1, int width = 50, int height = 10) {
        objects.push_back(std::make_unique<TcvView>(report));
        TcvView& o = *objects.back();
        o.Name = name;
        o.ParentBand = &band;
        o.ParentBandType = band.BandType;
        o.Left = left, o.Top = top < 0 ? band.Top + 1 : top, o.Width = width, o.Height = height;
        return o;
    }
    // Makes the object current in its band, as the band engine does while it prints it.
    void Enter(TcvView& object) {
        state->CurrentObject = &object;
        state->CurrentBand = BandOf(object);
    }
    // The message of the error recorded, or "".
    std::string Error() const { return state->PreparationError.Recorded ? state->PreparationError.Message : std::string(); }

    TcvReport* report = nullptr;  // owned by the form
    std::unique_ptr<TcvPreparationState> state;
    std::unique_ptr<TcvPreparation> pass;
    TcvPageRun page;
    std::vector<std::unique_ptr<TcvBand>> bands;
    std::vector<std::unique_ptr<TcvView>> objects;
    std::unique_ptr<TcvReport::NameScope> names;
};

}  // namespace tessaly::testing
