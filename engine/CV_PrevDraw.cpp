// Playing a prepared page onto a drawing surface, record by record.
#include <QPainter>

#include "engine/CV_Pages.h"
#include "engine/CV_Prev.h"
#include "engine/CV_Report.h"

namespace tessaly {

void TStandardPreview::DrawPage(QPainter* dc, int pageIndex, const QRect& rect) {}

}  // namespace tessaly
