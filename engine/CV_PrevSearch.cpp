// The preview's find command and the blink of a search hit.
#include <QTimer>

#include "engine/CV_Prev.h"
#include "platform/emf/EmfPlayer.h"

namespace tessaly {

// The search itself (the find dialog and the pass over the pages' text records) arrives with
// text search.
void TStandardPreview::Find() { ApplyZoomText(); }

emf::RecordAction TStandardPreview::SearchStep(emf::Player&, emf::RecordView, TDrawPageContext&) {
    return emf::RecordAction::Skip;
}

void TStandardPreview::TimerTimer() {
    ++BlinkCount;
    const QPoint origin = PageOrigin(HitPage);
    const QRect r = PageRect{HitRect.left, HitRect.top, HitRect.right, HitRect.bottom}.ToQRect().translated(origin);
    PaintPanel->update(r);
    if (BlinkCount >= 9) {
        Timer->stop();
        HitShown = false;
        PaintPanel->update(r);
    }
}

}  // namespace tessaly
