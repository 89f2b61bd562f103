#include "engine/ui/CV_PrevThumbs.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/CV_Prev.h"

namespace tessaly {

namespace {

constexpr int kItemTopGap = 10;    // above each sheet
constexpr int kCaptionGap = 3;     // between a sheet and its number
constexpr int kItemBottomGap = 4;  // below the number
constexpr int kSideMargin = 20;    // left and right of the widest sheet
constexpr int kMarkWidth = 4;      // of the current page's frame
constexpr int kCacheKilobytes = 64 * 1024;

// A page's thumbnail: as big as fits the box at the page's proportions (an unusable size counts
// as A4).
QSize ThumbnailSize(int width, int height) {
    if (width <= 0 || height <= 0) width = 2100, height = 2970;
    const double s = std::min(double(TThumbnailPanel::kThumbWidth) / width,
                              double(TThumbnailPanel::kThumbHeight) / height);
    return QSize(std::max(1, int(std::lround(width * s))), std::max(1, int(std::lround(height * s))));
}

}  // namespace

TThumbnailPanel::TThumbnailPanel(TStandardPreview* preview)
    : QAbstractScrollArea(preview), preview_(preview), drawTimer_(new QTimer(this)) {
    setObjectName("Thumbnails");
    setFrameStyle(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette grey = viewport()->palette();
    grey.setColor(QPalette::Window, preview->palette().color(QPalette::Mid));
    viewport()->setPalette(grey);
    viewport()->setAutoFillBackground(true);
    cache_.setMaxCost(kCacheKilobytes);
    drawTimer_->setSingleShot(true);
    drawTimer_->setInterval(0);
    connect(drawTimer_, &QTimer::timeout, this, [this] { DrawNext(); });
    Layout();
}

TThumbnailPanel::~TThumbnailPanel() = default;

int TThumbnailPanel::PanelWidth() const {
    return kThumbWidth + 2 * kSideMargin + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

void TThumbnailPanel::Reset() {
    cache_.clear();
    current_ = 0;
    Layout();
    viewport()->update();
}

void TThumbnailPanel::Layout() {
    const int count = preview_->PageCount();
    const int caption = fontMetrics().height();
    sizes_.resize(count);
    tops_.resize(count + 1);
    int y = 0;
    for (int i = 0; i < count; ++i) {
        const PreparedPage& page = preview_->Report->EMFPages().Pages(i);
        sizes_[i] = ThumbnailSize(page.Width, page.Height);
        tops_[i] = y;
        y += kItemTopGap + sizes_[i].height() + kCaptionGap + caption + kItemBottomGap;
    }
    tops_[count] = y + kItemTopGap;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, tops_[count] - viewport()->height()));
    bar->setPageStep(std::max(1, viewport()->height()));
    bar->setSingleStep(40);
}

QRect TThumbnailPanel::SheetRect(int index) const {
    const QSize s = sizes_[index];
    return QRect(QPoint((viewport()->width() - s.width()) / 2, ItemTop(index) + kItemTopGap), s);
}

std::pair<int, int> TThumbnailPanel::ItemsInView() const {
    const int top = verticalScrollBar()->value(), bottom = top + viewport()->height();
    const int count = int(sizes_.size());
    // Item i covers tops_[i] to tops_[i + 1].
    const int first = int(std::upper_bound(tops_.begin(), tops_.begin() + count, top) - tops_.begin()) - 1;
    const int last = int(std::lower_bound(tops_.begin(), tops_.begin() + count, bottom) - tops_.begin()) - 1;
    return {std::max(first, 0), std::min(last, count - 1)};
}

int TThumbnailPanel::PageAt(QPoint pos) const {
    const int y = pos.y() + verticalScrollBar()->value();
    const int count = int(sizes_.size());
    if (count == 0 || y < 0 || y >= tops_[count]) return -1;
    return int(std::upper_bound(tops_.begin(), tops_.begin() + count, y) - tops_.begin()) - 1;
}

bool TThumbnailPanel::DrawingPending() const {
    const auto [first, last] = ItemsInView();
    for (int i = first; i <= last; ++i)
        if (!cache_.contains(i)) return true;
    return false;
}

void TThumbnailPanel::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const auto [first, last] = ItemsInView();
    for (int i = first; i <= last; ++i) {
        PaintItem(painter, i);
        if (!cache_.contains(i)) drawTimer_->start();
    }
}

// The sheet with a black border (its picture once drawn, white until then) and the page number
// under it; the current page framed and its number in bold.
void TThumbnailPanel::PaintItem(QPainter& painter, int index) {
    const QRect sheet = SheetRect(index);
    const bool current = index + 1 == current_;
    if (current) {
        const int m = kMarkWidth + 1;
        painter.fillRect(sheet.adjusted(-m, -m, m, m), palette().color(QPalette::Highlight));
    }
    painter.fillRect(sheet.adjusted(-1, -1, 1, 1), Qt::black);
    if (const QImage* picture = cache_.object(index))
        painter.drawImage(sheet, *picture);
    else
        painter.fillRect(sheet, Qt::white);
    QFont font = painter.font();
    font.setBold(current);
    painter.setFont(font);
    painter.setPen(viewport()->palette().color(QPalette::WindowText));
    const QRect caption(0, sheet.bottom() + 1 + kCaptionGap, viewport()->width(), fontMetrics().height());
    painter.drawText(caption, Qt::AlignHCenter | Qt::AlignTop, QString::number(index + 1));
}

// Draws the first thumbnail in view that is not drawn yet, and comes back for the next one after
// the window's pending events.
void TThumbnailPanel::DrawNext() {
    const auto [first, last] = ItemsInView();
    for (int i = first; i <= last; ++i) {
        if (cache_.contains(i)) continue;
        auto* picture = new QImage(Render(i));
        cache_.insert(i, picture, std::max<qsizetype>(1, picture->sizeInBytes() / 1024));
        ++drawn_;
        viewport()->update(SheetRect(i));
        if (i < last) drawTimer_->start();
        return;
    }
}

QImage TThumbnailPanel::Render(int index) const {
    const qreal ratio = devicePixelRatioF();
    const QSize size = sizes_[index];
    QImage picture(size * ratio, QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    try {
        preview_->DrawPage(&painter, index, QRect(QPoint(0, 0), size));
    } catch (...) {
        // A page that cannot be drawn keeps what was drawn of it.
    }
    return picture;
}

void TThumbnailPanel::SetCurrentPage(int page) {
    if (page == current_) return;
    current_ = page;
    viewport()->update();
    const int index = page - 1;
    if (index < 0 || index >= int(sizes_.size())) return;
    QScrollBar* bar = verticalScrollBar();
    if (tops_[index] < bar->value())
        bar->setValue(tops_[index]);
    else if (tops_[index + 1] > bar->value() + viewport()->height())
        bar->setValue(tops_[index + 1] - viewport()->height());
}

void TThumbnailPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int index = PageAt(event->position().toPoint());
    if (index < 0) return;
    preview_->ShowPage(index + 1);
    preview_->ApplyZoomText();
}

void TThumbnailPanel::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Layout();
}

void TThumbnailPanel::scrollContentsBy(int, int dy) { viewport()->scroll(0, dy); }

}  // namespace tessaly
