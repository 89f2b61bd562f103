#pragma once
// The sub-report placeholder: marks where another template page is printed as a sub-report.
#include "engine/model/CV_View.h"

namespace tessaly {

class TcvSubReportView : public TcvView {
public:
    explicit TcvSubReportView(TcvReport* report, const char* className = "TcvSubReportView");

    int32_t SubPage = 0;    // index of the template page it shows
    bool Deleting = false;  // its deletion (or its page's) is under way: it deletes no page

    // A white box with the text "SottoReport in pagina N", in both modes.
    void Draw(emf::RecordingCanvas& canvas) override;
    void Assign(const TcvView& source) override;
    void LoadFromStream(Stream& stream) override;
    void SaveToStream(Stream& stream) const override;
};

}  // namespace tessaly
