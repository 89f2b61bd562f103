#include "engine/model/CV_SubReport.h"

#include <QScopedValueRollback>
#include <string>

#include "engine/model/CV_Caption.h"
#include "platform/emf/RecordingCanvas.h"

namespace tessaly {

TcvSubReportView::TcvSubReportView(TcvReport* report, const char* className) : TcvView(report, className) {
    ObjectType = otSubReport;
}

void TcvSubReportView::Draw(emf::RecordingCanvas& canvas) {
    SetCanvas(&canvas);
    // Drawn with a frame of 1 whatever the stored width, which stays as it is.
    const QScopedValueRollback frame(FrameWidth, 1);
    CalcDrawRect();
    canvas.Pen() = SolidPen(1, clBlack);
    canvas.Brush() = SolidBrush(clWhite);
    canvas.Rectangle(Left, Top, Left + Width + 1, Top + Height + 1);
    DrawCaptionText(canvas, DrawRect, Left + 2, Top + 2, "SottoReport in pagina " + std::to_string(SubPage + 1));
}

void TcvSubReportView::Assign(const TcvView& source) {
    TcvView::Assign(source);
    if (auto* s = dynamic_cast<const TcvSubReportView*>(&source)) SubPage = s->SubPage;
}

void TcvSubReportView::LoadFromStream(Stream& stream) {
    TcvView::LoadFromStream(stream);
    SubPage = stream.ReadI32();
}

void TcvSubReportView::SaveToStream(Stream& stream) const {
    TcvView::SaveToStream(stream);
    stream.WriteI32(SubPage);
}

}  // namespace tessaly
