#pragma once
// The preview's side panel of page thumbnails: one per page at its paper's proportions, with its
// number, the current page marked; a click turns the preview to that page. Only the thumbnails in
// view are drawn, one at a time between the window's events, and drawn ones are kept in a cache,
// so that the panel opens at once and scrolls smoothly whatever the report's length.
#include <vector>

#include <QAbstractScrollArea>
#include <QCache>
#include <QImage>
#include <QScrollBar>

class QTimer;

namespace tessaly {

class TStandardPreview;

class TThumbnailPanel : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TThumbnailPanel(TStandardPreview* preview);
    ~TThumbnailPanel() override;

    // The largest thumbnail; a page's thumbnail is as big as fits this box at its proportions.
    static constexpr int kThumbWidth = 120;
    static constexpr int kThumbHeight = 170;
    // The panel's width, its scroll bar included.
    int PanelWidth() const;

    // The pages changed (another report): lays the list out again and forgets what was drawn.
    void Reset();
    // Marks page `page` (1-based) as the current one and scrolls it into view.
    void SetCurrentPage(int page);
    int CurrentPage() const { return current_; }
    // The 0-based page whose thumbnail or number lies at `pos` of the viewport; -1 for none.
    int PageAt(QPoint pos) const;
    // Thumbnail i's sheet in viewport coordinates.
    QRect SheetRect(int index) const;
    // Thumbnails drawn since the panel was made, and whether some in view still wait.
    int ThumbnailsDrawn() const { return drawn_; }
    bool DrawingPending() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void Layout();
    // The first and last index of the items meeting the viewport (last < first when none).
    std::pair<int, int> ItemsInView() const;
    int ItemTop(int index) const { return tops_[index] - verticalScrollBar()->value(); }
    void PaintItem(QPainter& painter, int index);
    void DrawNext();
    QImage Render(int index) const;

    TStandardPreview* preview_;
    std::vector<int> tops_;  // of each item in the list; one more entry: the list's height
    std::vector<QSize> sizes_;
    QCache<int, QImage> cache_;
    QTimer* drawTimer_ = nullptr;
    int current_ = 0;
    int drawn_ = 0;
};

}  // namespace tessaly
