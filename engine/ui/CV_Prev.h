#pragma once
// Preview windows. TcvPreview shows the prepared pages of a report, modally on the caller's report
// or on its own private copy, and declares DrawPage, which screen, printer and search use to play
// one prepared page. TStandardPreview is the standard window: toolbar, page area, bottom bar,
// scroll bars, context menu, keyboard map, zoom, full screen; TPaintPanel is its page area.
//
// Geometry is in the window's logical pixels: a page 2100 tenths of a millimetre wide is 794 of
// them at 100 %, whatever the screen's resolution (a high-density screen only sharpens the picture).
#include <cstdint>
#include <filesystem>
#include <functional>

#include <QDialog>
#include <QFrame>
#include <QPoint>
#include <QRect>

#include "engine/report/CV_Component.h"
#include "engine/report/CV_FindText.h"
#include "engine/report/EngineState.h"
#include "engine/ui/CV_Dialogs.h"
#include "platform/core/Cp1252.h"

class QComboBox;
class QMimeData;
class QCursor;
class QLabel;
class QMenu;
class QPainter;
class QScrollBar;
class QTimer;
class QToolButton;
class QPrinter;
class QAction;

namespace tessaly {

namespace emf {
class Player;
class RecordView;
enum class RecordAction;
}  // namespace emf

class TcvReport;
class TFindForm;
class TStandardPreview;
class TPaintPanel;
class TSearchHits;
class TThumbnailPanel;

enum TZoomMode : uint8_t { zmPercent = 0, zmPageWidth = 1, zmOnePage = 2, zmTwoPages = 3 };

// The zoom box's text of a whole-page mode: "Larghezza", "Una pagina", "Due pagine"; empty for
// zmPercent, whose text is the percentage.
const char* ZoomModeText(TZoomMode mode);

// Coordinates the preview computes stay within these bounds, whatever a page or a record claims,
// so that they always fit the window's 32-bit integers: the page layout within the first, a search
// hit within the second (also once shifted by a page's position in the layout).
inline constexpr int64_t kLayoutCoordinateLimit = int64_t(1) << 30;
inline constexpr double kHitCoordinateLimit = double(kLayoutCoordinateLimit) / 4;

// The preview's mouse cursors, registered under these numbers by the preview unit.
enum TPreviewCursor : int {
    crHandFlat = 23,
    crHandGrab = 24,
    crMoveAll = 25,
    crMoveN = 26,
    crMoveS = 27,
    crMoveE = 28,
    crMoveW = 29,
    crMoveNE = 30,
    crMoveNW = 31,
    crMoveSE = 32,
    crMoveSW = 33,
};
// The cursor registered under `number` (23 to 33); the arrow for any other number.
QCursor PreviewCursor(int number);

// A rectangle as the drawing code of the pages thinks of it: right and bottom excluded.
struct PageRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    QRect ToQRect() const { return QRect(left, top, right - left, bottom - top); }
    static PageRect From(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }
    friend bool operator==(const PageRect&, const PageRect&) = default;
};

// What DrawPage hands to the record handler, one per page played.
struct TDrawPageContext {
    int PageIndex = 0;
    int RecordNo = 0;  // PageIndex x 10000 at the header record, then one more per record
    QRect DestRect;
    double ScaleX = 0, ScaleY = 0;  // metafile pixels to screen pixels at the current zoom
    TStandardPreview* Preview = nullptr;
    bool OtherSurface = false;  // not the page area's own surface (printing)
    QPainter* Surface = nullptr;  // the surface the player draws on
};

class TcvPreview : public QDialog, public TComponent, public TcvPreviewWindow {
    Q_OBJECT
public:
    explicit TcvPreview(TComponent* owner);
    ~TcvPreview() override;

    const char* ClassName() const override { return "TcvPreview"; }

    void SetCaption(const AnsiString& caption) override;
    // Modal preview: shows the window maximised on `report` and returns when it is closed.
    // Otherwise the window works on a private copy of the pages, stays on top, and this returns.
    void ShowReport(TcvReport* report) override;
    // Draws nothing: the standard window plays the page.
    void DrawPage(QPainter* dc, int pageIndex, const QRect& rect) override;

protected:
    // The window was hidden (closed): free a private copy, leave PreviewList, go away later.
    virtual void DoHide();
    virtual void ReportChanged() {}
    void hideEvent(QHideEvent* event) override;
    void ShowMaximizedOnScreen();

private:
    bool sharedReport_ = true;  // false: Report is this window's private copy
};

// The page area: a panel between the bars that paints the visible pages and moves the view with
// the mouse (dragging with the left button, auto-scroll with the middle one).
class TPaintPanel : public QFrame {
    Q_OBJECT
public:
    explicit TPaintPanel(TStandardPreview* preview);
    ~TPaintPanel() override;

    QTimer* ScrollTimer = nullptr;
    int SpeedY = 0;
    int SpeedX = 0;
    int OriginY = 0;
    int OriginX = 0;
    bool AutoScrolling = false;
    uint8_t Direction = 0;  // 0 still, 1 N, 2 S, 3 E, 4 W, 5 NW, 6 NE, 7 SE, 8 SW
    bool LayoutOnly = false;
    bool Dragging = false;
    bool KeepPosition = false;
    int LastX = 0;
    int LastY = 0;
    int CursorNumber = crHandFlat;  // the cursor the panel shows

    // Lays the pages out, draws those meeting `clip` (unless LayoutOnly), notes the current page
    // and sets the scroll ranges. `dc` may be null in a layout-only pass.
    void Paint(QPainter* dc, const PageRect& clip);
    void SetDirection(uint8_t direction);
    void AutoScrollTick();
    void SetCursorNumber(int number);
    // Moves what is shown by (dx, dy) and repaints only the uncovered strip.
    void ScrollBy(int dx, int dy);
    bool Painting() const { return painting_; }
    // The area being painted (valid while painting).
    const PageRect& PaintClip() const { return paintClip_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TStandardPreview* preview_;
    bool painting_ = false;
    PageRect paintClip_;
};

class TStandardPreview : public TcvPreview {
    Q_OBJECT
    friend class TPaintPanel;

public:
    explicit TStandardPreview(TComponent* owner);
    ~TStandardPreview() override;
    const char* ClassName() const override { return "TStandardPreview"; }

    // --- Components ---
    QFrame* StatusBar = nullptr;  // the toolbar
    QFrame* VPanel = nullptr;
    QFrame* BPanel = nullptr;
    QFrame* Bevel1 = nullptr;
    QFrame* Bevel2 = nullptr;
    QToolButton* CloseBtn = nullptr;
    QToolButton* OpenBtn = nullptr;
    QToolButton* SaveBtn = nullptr;
    QToolButton* PrintBtn = nullptr;
    QToolButton* FindBtn = nullptr;
    QFrame* Panel0 = nullptr;
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* SpacePanel = nullptr;
    QComboBox* ZoomBtn = nullptr;
    TFileDialog OpenDialog;
    TFileDialog SaveDialog;
    QPrinter* PrintDialog = nullptr;  // the print dialog's settings (page range, copies); made by Print
    QTimer* Timer = nullptr;
    QMenu* PopupMenu = nullptr;
    QFrame* CenterPanel = nullptr;
    QFrame* PagePanel = nullptr;
    QWidget* PaintPage = nullptr;
    QToolButton* ScreenBtn = nullptr;
    QScrollBar* VScroll = nullptr;
    QFrame* LeftPanel = nullptr;
    QScrollBar* HScroll = nullptr;
    QFrame* LeftBtnPanel = nullptr;
    QFrame* RightBtnPanel = nullptr;
    QFrame* HPanel = nullptr;
    QLabel* LabelPage = nullptr;
    QFrame* RightPanel = nullptr;
    QToolButton* PrevBtn = nullptr;
    QToolButton* FirstBtn = nullptr;
    QToolButton* LastBtn = nullptr;
    QToolButton* NextBtn = nullptr;
    QToolButton* FullScrBtn = nullptr;
    QToolButton* OnePageBtn = nullptr;
    QToolButton* TwoPageBtn = nullptr;
    QToolButton* WdtPageBtn = nullptr;
    // Beyond the classic window: the thumbnails' tool button and its separator, the search's
    // "n di m" in the right part of the bottom bar, the thumbnails panel (made when first shown).
    QFrame* Panel3 = nullptr;
    QToolButton* ThumbBtn = nullptr;
    QLabel* HitIcon = nullptr;
    QLabel* HitLabel = nullptr;
    TThumbnailPanel* Thumbnails = nullptr;

    // --- View state ---
    TPaintPanel* PaintPanel = nullptr;
    int LastVPos = 0;
    int LastHPos = 0;
    int CurPage = 0;  // 1-based
    double Zoom = 100.0;
    bool Searching = false;
    bool HitShown = false;
    bool MatchCase = false;
    bool PartOfWord = false;
    bool SearchNext = false;
    bool SearchPrev = false;
    bool FromCurrentPage = false;
    bool Resized = false;
    Qt::WindowStates SavedWindowState;
    AnsiString SearchText;
    PageRect HitRect;
    int HitPage = 0;
    int BlinkCount = 0;
    int RecordNo = 0;
    int HitOrdinal = 0;
    int MatchCount = 0;
    int MaxPageWidth = 0;
    int MaxPageHeight = 0;
    double PaintedZoom = 100.0;
    TZoomMode ZoomMode = zmPercent;
    TZoomMode PaintedMode = zmPercent;
    bool ToolbarOn = true;
    bool FullScreen = false;
    bool PageNumbersOn = true;
    bool SavedToolbarOn = true;

    int ScrollSmallChange() const { return scrollSmallChange_; }
    int ScrollLargeChange() const { return scrollLargeChange_; }
    void SetScrollSmallChange(int value);
    void SetScrollLargeChange(int value);

    // --- Commands ---
    virtual void Open();
    virtual void Save();
    virtual void Print();
    virtual void Find();
    virtual void FirstPage();
    virtual void LastPage();
    virtual void NextPage();
    virtual void PrevPage();
    virtual void PageWidth();
    virtual void OnePage();
    virtual void TwoPages();
    // Shift+F3: the match before the current one, without the dialog (the dialog when there is no
    // current match).
    virtual void FindPreviousHit();
    // F4 and ThumbBtn: shows or hides the thumbnails panel.
    void SetThumbnailsVisible(bool on);
    bool ThumbnailsVisible() const { return thumbnailsOn_; }
    // Opens a prepared report or a template into the window, as Open does with the file chosen.
    void OpenFile(const std::filesystem::path& fileName);
    // Applies zoom `z` keeping the point `at` of the page area over the same point of the page.
    void ZoomAbout(double z, QPoint at);
    // The 0-based page whose row and column hold the point `at` of the page area, or the nearest
    // one; -1 without pages.
    int PageAt(QPoint at) const;
    // Every match of the search shown: marked on the pages, counted over the report.
    TSearchHits& Hits() { return *hits_; }

    void ShowPage(int n);
    void SetZoom(double z);
    void ApplyZoomMode();
    QPoint PageOrigin(int index) const;
    void ApplyZoomText();
    void UpdateZoomText();
    // The zoom box (or its editor) is the window's focused control.
    bool ZoomBtnFocused() const;
    void SetFullScreen(bool on);
    void SetToolbarVisible(bool on);
    void PaintPagePaint();
    void TimerTimer();
    // Ends a blinking search hit at once (nothing happens when none blinks).
    void StopBlink();

    // On the page area only the records meeting the area being painted are played; on any other
    // surface all of them. A null `dc` stands for the page area's surface without a picture.
    void DrawPage(QPainter* dc, int pageIndex, const QRect& rect) override;
    void DrawPageOn(QPainter& dc, int pageIndex, const QRect& rect, bool otherSurface);
    emf::RecordAction PageRecordHandler(emf::Player& dc, emf::RecordView record, TDrawPageContext& context);
    bool RecordVisible(emf::RecordView record, const emf::Player& dc, const TDrawPageContext& context) const;
    // The search's look at one record while Searching is set; nothing is drawn.
    emf::RecordAction SearchStep(emf::Player& dc, emf::RecordView record, TDrawPageContext& context);

    int PageCount() const;
    // The page's size on screen at the current zoom, unrounded, and the scale from its metafile's
    // pixels to screen pixels.
    struct PageScale {
        double pw = 0, ph = 0, scaleX = 0, scaleY = 0;
    };
    PageScale ScaleOf(int index) const;
    // x of the page's left edge in the unscrolled layout, for a page area `areaWidth` wide.
    int PageX(int index, double pw, int areaWidth) const;
    // Whether the page ends its row of pages.
    bool RowEndsAfter(int index) const;
    // True when the layout at zoom `z` stays within the coordinates the window can handle.
    bool ZoomFits(double z) const;

    // Records handed to the player since the window was made (screen and other surfaces), and of
    // them the drawing records (those with drawing bounds, emf::HasDrawingBounds).
    int64_t RecordsPlayed = 0;
    int64_t DrawingRecordsPlayed = 0;

protected:
    void ReportChanged() override;
    void DoHide() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void CreateToolbar();
    void CreateBottomBar();
    void CreateScrollBars();
    void BuildPopupMenu();
    void FormShow();
    void FormResize();
    void FormClose();
    void Realign();
    void FormKeyDown(QKeyEvent* event);
    bool ZoomBtnKeyDown(QKeyEvent* event);
    bool ZoomBtnKeyPress(QKeyEvent* event);
    void ZoomMenuClick(QAction* item);
    void VScrollChange(int value);
    void HScrollChange(int value);
    void PostUpdateZoomText();
    void WheelNotches(int notches);
    void WheelZoom(int notches, QPointF globalPosition);
    void RunSearchPass();
    void TurnToHit();
    void ShowHitCount();
    void SaveAsPdf(const std::filesystem::path& fileName);
    void SaveAsText(const std::filesystem::path& fileName);
    void MarkHit(const TDrawPageContext& context, emf::RecordView record, bool current);
    void SaveCurrentPageAsEmf(const std::filesystem::path& fileName);
    QToolButton* MakeSpeedButton(QWidget* parent, const char* glyph);
    void PlayHighlighted(emf::Player& dc, emf::RecordView record);
    void ShowHit(TFindForm& form);

    // The running search's matcher, made again whenever SearchText, MatchCase or PartOfWord change.
    TTextMatcher searchMatcher_{TTextQuery{}};

    int scrollSmallChange_ = 0;
    int scrollLargeChange_ = 0;
    int wheelRemainder_ = 0;
    int toolbarHeight_ = 24;
    bool thumbnailsOn_ = false;
    TSearchHits* hits_ = nullptr;
    QRect savedGeometry_;
};

TcvPreviewWindow* CreateStandardPreview(TComponent* owner);

void InitPreviewUnit();
void DonePreviewUnit();

}  // namespace tessaly
