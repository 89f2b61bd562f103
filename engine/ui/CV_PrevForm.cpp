// The standard preview window: its controls, keyboard map, page commands, zoom box and full screen.
// Page layout, zoom computation, painting and the mouse are in CV_PrevPaint.cpp, the file commands in
// CV_PrevFile.cpp.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "engine/report/CV_Pages.h"
#include "engine/report/CV_Report.h"
#include "engine/ui/CV_OpenFile.h"
#include "engine/ui/CV_Prev.h"
#include "engine/ui/CV_PrevHits.h"
#include "engine/ui/CV_PrevThumbs.h"
#include "engine/ui/UiHooks.h"
#include "platform/core/Errors.h"
#include "platform/core/QtStrings.h"
#include "platform/core/Rounding.h"
#include "platform/emf/FontSubstitution.h"
#include "platform/text/FormatSettings.h"

namespace tessaly {

namespace fs = std::filesystem;

namespace {

const char* const kZoomItems[] = {"200%", "150%", "100%", "75%", "50%", "25%"};

// The search's status in the right part of the bottom bar: its glyph, then its centred text.
constexpr int kHitLabelX = 24;

// Ctrl + wheel: each notch zooms in or out by this factor, within these bounds.
constexpr double kWheelZoomFactor = 1.2;
constexpr double kWheelZoomMin = 10, kWheelZoomMax = 800;

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

QChar DecimalSeparator() {
    return QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(
        CurrentFormatSettings().DecimalSeparator))));
}

// A glyph of the program's resources, with the colour of its pixel at column 0, row 15 made
// transparent, as the buttons and the context menu show it.
QPixmap GlyphPixmap(const QString& name) {
    QImage image(":/glyphs/" + name);
    if (image.isNull()) return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, std::min(15, image.height() - 1));
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == transparent) line[x] = 0;
    }
    return QPixmap::fromImage(image);
}

// The strict numeric conversion of a zoom text: the whole text is one number, "." its point.
bool StrictToFloat(const QString& text, double& value) {
    const std::string s = text.toStdString();
    if (s.empty()) return false;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, value);
    return ec == std::errc() && p == end && std::isfinite(value);
}

// A paint box: a control that only paints, through the function it is given.
class TPaintBox : public QWidget {
public:
    TPaintBox(QWidget* parent, std::function<void(QPainter&)> paint) : QWidget(parent), paint_(std::move(paint)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paint_(painter);
    }

private:
    std::function<void(QPainter&)> paint_;
};

QFrame* MakePanel(QWidget* parent, const char* name, bool lowered = false) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    if (lowered) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setLineWidth(1);
    }
    return panel;
}

}  // namespace

const char* ZoomModeText(TZoomMode mode) {
    switch (mode) {
        case zmPageWidth: return "Larghezza";
        case zmOnePage: return "Una pagina";
        case zmTwoPages: return "Due pagine";
        case zmPercent: break;
    }
    return "";
}

// Runs a command and reports its failure in a message box, the way the application reports an
// error that reaches it: the message, the program's name as caption, and the preview goes on.
static void RunCommand(QWidget*, const std::function<void()>& command) {
    try {
        command();
    } catch (const EAbort&) {
    } catch (const EngineError& e) {
        UiHooks().ShowError(ToQString(e.Message()));
    } catch (const std::exception& e) {
        UiHooks().ShowError(QString::fromUtf8(e.what()));
    }
}

TStandardPreview::TStandardPreview(TComponent* owner) : TcvPreview(owner) {
    setObjectName("StandardPreview");
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QFont font(QString::fromUtf8(emf::SubstituteFace("MS Sans Serif")));
    font.setPixelSize(11);
    setFont(font);
    resize(768, 537);
    setWindowState(Qt::WindowMaximized);

    CreateToolbar();
    CreateBottomBar();
    CreateScrollBars();
    PagePanel = MakePanel(this, "PagePanel", true);
    PagePanel->resize(105, 16);
    PagePanel->setAutoFillBackground(true);
    PagePanel->hide();
    PaintPage = new TPaintBox(PagePanel, [this](QPainter& painter) {
        if (!FullScreen) return;
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(PaintPage->palette().window());
        painter.setPen(PaintPage->palette().color(QPalette::WindowText));
        const QString text = QString("Pagina %1 di %2").arg(CurPage).arg(PageCount()) + QString(10, ' ');
        painter.drawText(QPoint(0, painter.fontMetrics().ascent()), text);
    });
    PaintPage->setGeometry(1, 1, 103, 14);
    Timer = new QTimer(this);
    Timer->setInterval(250);
    connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(); });
    hits_ = new TSearchHits(this);
    connect(hits_, &TSearchHits::Changed, this, [this] { ShowHitCount(); });
    setAcceptDrops(true);
    FormCreate();
}

TStandardPreview::~TStandardPreview() { delete PrintDialog; }

QToolButton* TStandardPreview::MakeSpeedButton(QWidget* parent, const char* glyph) {
    auto* button = new QToolButton(parent);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(QIcon(GlyphPixmap(glyph)));
    button->setIconSize(QSize(16, 16));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}

void TStandardPreview::CreateToolbar() {
    StatusBar = MakePanel(this, "StatusBar");
    Bevel1 = new QFrame(StatusBar);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel2 = new QFrame(StatusBar);
    Bevel2->setFrameStyle(QFrame::HLine | QFrame::Sunken);

    ZoomBtn = new QComboBox(StatusBar);
    ZoomBtn->setEditable(true);
    ZoomBtn->setInsertPolicy(QComboBox::NoInsert);
    ZoomBtn->setFocusPolicy(Qt::ClickFocus);
    ZoomBtn->setMaxVisibleItems(9);
    ZoomBtn->setCompleter(nullptr);  // a typed 15 stays 15, not the first item it begins
    for (const char* item : kZoomItems) ZoomBtn->addItem(Text(item));
    ZoomBtn->setEditText("100%");
    ZoomBtn->setGeometry(11, 1, 75, 22);
    // Keys reach the combo box itself (its editor's focus proxy), or its editor when that has the focus.
    ZoomBtn->installEventFilter(this);
    ZoomBtn->lineEdit()->installEventFilter(this);
    connect(ZoomBtn, &QComboBox::activated, this, [this](int) { ApplyZoomText(); });

    struct ToolButton {
        QToolButton*& button;
        const char* glyph;
        int x, width;
    };
    const ToolButton buttons[] = {
        {OpenBtn, "OPEN", 96, 75},  {SaveBtn, "SAVE", 172, 75},     {PrintBtn, "PRINT", 248, 75},
        {FindBtn, "FIND", 324, 75}, {ScreenBtn, "SCREEN", 407, 75}, {CloseBtn, "CLOSE", 490, 68},
    };
    for (const ToolButton& b : buttons) {
        b.button = MakeSpeedButton(StatusBar, b.glyph);
        b.button->setGeometry(b.x, 1, b.width, 22);
    }
    Panel0 = MakePanel(StatusBar, "Panel0", true);
    Panel1 = MakePanel(StatusBar, "Panel1", true);
    Panel2 = MakePanel(StatusBar, "Panel2", true);
    Panel0->setGeometry(89, 2, 4, 20);
    Panel1->setGeometry(401, 2, 4, 20);
    Panel2->setGeometry(484, 2, 4, 20);
    Panel3 = MakePanel(StatusBar, "Panel3", true);
    Panel3->setGeometry(561, 2, 4, 20);
    ThumbBtn = MakeSpeedButton(StatusBar, "THUMBS");
    ThumbBtn->setGeometry(567, 1, 90, 22);
    ThumbBtn->setCheckable(true);

    connect(OpenBtn, &QToolButton::clicked, this, [this] { RunCommand(this, [this] { Open(); }); });
    connect(SaveBtn, &QToolButton::clicked, this, [this] { RunCommand(this, [this] { Save(); }); });
    connect(PrintBtn, &QToolButton::clicked, this, [this] { RunCommand(this, [this] { Print(); }); });
    connect(FindBtn, &QToolButton::clicked, this, [this] { RunCommand(this, [this] { Find(); }); });
    connect(ScreenBtn, &QToolButton::clicked, this, [this] { SetFullScreen(!FullScreen); });
    connect(CloseBtn, &QToolButton::clicked, this, [this] { close(); });
    connect(ThumbBtn, &QToolButton::clicked, this, [this] { SetThumbnailsVisible(!thumbnailsOn_); });
}

void TStandardPreview::CreateBottomBar() {
    BPanel = MakePanel(this, "BPanel");
    LeftPanel = MakePanel(BPanel, "LeftPanel");
    CenterPanel = MakePanel(BPanel, "CenterPanel", true);
    RightPanel = MakePanel(BPanel, "RightPanel");
    LeftBtnPanel = MakePanel(CenterPanel, "LeftBtnPanel");
    RightBtnPanel = MakePanel(CenterPanel, "RightBtnPanel");
    LabelPage = new QLabel(CenterPanel);
    LabelPage->setAlignment(Qt::AlignCenter);
    HitIcon = new QLabel(RightPanel);
    HitIcon->setPixmap(GlyphPixmap("FIND"));
    HitIcon->setGeometry(8, 4, 16, 16);
    HitIcon->hide();
    HitLabel = new QLabel(RightPanel);
    HitLabel->setObjectName("HitLabel");
    HitLabel->setAlignment(Qt::AlignCenter);

    struct GlyphButton {
        QToolButton*& button;
        QWidget* parent;
        const char* glyph;
        int x;
    };
    const GlyphButton buttons[] = {
        {FirstBtn, LeftBtnPanel, "FIRST", 0},   {PrevBtn, LeftBtnPanel, "PREV", 24},
        {NextBtn, RightBtnPanel, "NEXT", 0},    {LastBtn, RightBtnPanel, "LAST", 24},
        {FullScrBtn, LeftPanel, "FULLSCR", 2},  {OnePageBtn, LeftPanel, "ONEPAGE", 26},
        {TwoPageBtn, LeftPanel, "TWOPAGES", 50}, {WdtPageBtn, LeftPanel, "PAGEWIDTH", 74},
    };
    for (const GlyphButton& b : buttons) {
        b.button = MakeSpeedButton(b.parent, b.glyph);
        b.button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        b.button->setGeometry(b.x, b.parent == LeftPanel ? 1 : 0, 22, 22);
    }
    connect(FirstBtn, &QToolButton::clicked, this, [this] { FirstPage(); });
    connect(PrevBtn, &QToolButton::clicked, this, [this] { PrevPage(); });
    connect(NextBtn, &QToolButton::clicked, this, [this] { NextPage(); });
    connect(LastBtn, &QToolButton::clicked, this, [this] { LastPage(); });
    connect(FullScrBtn, &QToolButton::clicked, this, [this] { SetFullScreen(!FullScreen); });
    connect(OnePageBtn, &QToolButton::clicked, this, [this] { OnePage(); });
    connect(TwoPageBtn, &QToolButton::clicked, this, [this] { TwoPages(); });
    connect(WdtPageBtn, &QToolButton::clicked, this, [this] { PageWidth(); });
}

void TStandardPreview::CreateScrollBars() {
    VPanel = MakePanel(this, "VPanel");
    VScroll = new QScrollBar(Qt::Vertical, VPanel);
    HPanel = MakePanel(this, "HPanel");
    HScroll = new QScrollBar(Qt::Horizontal, HPanel);
    SpacePanel = MakePanel(HPanel, "SpacePanel");
    for (QScrollBar* bar : {VScroll, HScroll}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setRange(0, 0);
    }
    connect(VScroll, &QScrollBar::valueChanged, this, [this](int value) { VScrollChange(value); });
    connect(HScroll, &QScrollBar::valueChanged, this, [this](int value) { HScrollChange(value); });
}

void TStandardPreview::FormCreate() {
    PageNumbersOn = true;
    ToolbarOn = true;
    SetScrollSmallChange(20);
    SetScrollLargeChange(200);

    setWindowTitle("Anteprima");
    const struct {
        QToolButton* button;
        const char* caption;
        const char* hint;
    } texts[] = {
        {CloseBtn, "&Chiudi", "Chiude il report"},
        {OpenBtn, "&Apri", "Apre un report"},
        {SaveBtn, "Sal&va", "Salva il report"},
        {PrintBtn, "&Stampa", "Stampa il report"},
        {FindBtn, "&Trova", "Trova del testo"},
        {ScreenBtn, "Sc&hermo", "Visualizza l'anteprima a schermo intero"},
        {ThumbBtn, "&Miniature", "Mostra o nasconde le miniature delle pagine (F4)"},
        {PrevBtn, nullptr, "Pagina precedente"},
        {FirstBtn, nullptr, "Prima pagina"},
        {LastBtn, nullptr, "Ultima pagina"},
        {NextBtn, nullptr, "Pagina successiva"},
        {FullScrBtn, nullptr, "Visualizza l'anteprima a schermo intero"},
        {OnePageBtn, nullptr, "Una pagina"},
        {TwoPageBtn, nullptr, "Due pagine"},
        {WdtPageBtn, nullptr, "Larghezza"},
    };
    for (const auto& t : texts) {
        if (t.caption) t.button->setText(Text(t.caption));
        t.button->setToolTip(Text(t.hint));
    }
    ZoomBtn->setToolTip("Ingrandimento");
    OpenDialog.Title = "Apre un report.";
    OpenDialog.Filter =
        "Report files (*.cvp)|*.cvp|Modelli di report (*.cvf)|*.cvf|Modelli di report in JSON (*.json)|*.json";
    OpenDialog.DefaultExt = ".cvp";  // "*.cvp" in the form: the extension a bare name gets
    SaveDialog.Title = "Salva il report.";

    for (TZoomMode mode : {zmPageWidth, zmOnePage, zmTwoPages}) ZoomBtn->addItem(Text(ZoomModeText(mode)));
    ZoomBtn->setEditText("100%");

    Resized = false;
    PaintedZoom = 100.0;
    PaintedMode = zmPercent;
    Searching = false;
    HitShown = false;

    // Speed buttons: all fourteen flat.
    for (QToolButton* b : findChildren<QToolButton*>()) b->setAutoRaise(true);

    BuildPopupMenu();

    PaintPanel = new TPaintPanel(this);
    PagePanel->raise();

    // Clicking the toolbar, its separators, the corner square or the page-number strip commits a
    // zoom being typed; the wheel scrolls the pages wherever the pointer is in the window.
    for (QWidget* w : {static_cast<QWidget*>(StatusBar), static_cast<QWidget*>(Panel0), static_cast<QWidget*>(Panel1),
                       static_cast<QWidget*>(Panel2), static_cast<QWidget*>(Panel3), static_cast<QWidget*>(PagePanel),
                       static_cast<QWidget*>(SpacePanel), PaintPage})
        w->installEventFilter(this);
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

void TStandardPreview::BuildPopupMenu() {
    PopupMenu = new QMenu(this);
    auto fromButton = [this](QToolButton* button) {
        QAction* item = PopupMenu->addAction(button->icon(), button->text());
        connect(item, &QAction::triggered, button, &QToolButton::click);
    };
    for (QToolButton* b : {OpenBtn, SaveBtn, PrintBtn, FindBtn}) fromButton(b);
    PopupMenu->addSeparator();
    fromButton(ScreenBtn);
    PopupMenu->addSeparator();
    for (int i = 0; i < ZoomBtn->count(); ++i) {
        QAction* item = PopupMenu->addAction(ZoomBtn->itemText(i));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, item] { ZoomMenuClick(item); });
    }
}

void TStandardPreview::ZoomMenuClick(QAction* item) {
    ZoomBtn->setEditText(item->text());
    ZoomBtn->setFocus();
    ApplyZoomText();
}

void TStandardPreview::SetScrollSmallChange(int value) {
    if (value == scrollSmallChange_) return;
    scrollSmallChange_ = value;
    VScroll->setSingleStep(value);
    HScroll->setSingleStep(value);
}

void TStandardPreview::SetScrollLargeChange(int value) {
    if (value == scrollLargeChange_) return;
    scrollLargeChange_ = value;
    VScroll->setPageStep(value);
    HScroll->setPageStep(value);
}

// --- Layout of the bars --------------------------------------------------------------------

// Places the bars as the form aligns them: toolbar on top, bottom bar, the horizontal scroll bar
// above it (full width, with the corner square), the vertical one at the right between them, the
// page area in what is left.
void TStandardPreview::Realign() {
    const int w = width(), h = height();
    const int toolbar = toolbarHeight_;
    StatusBar->setGeometry(0, 0, w, toolbar);
    Bevel1->setGeometry(0, 0, w, 2);
    Bevel2->setGeometry(0, 22, w, 2);
    int bottom = h;
    if (!BPanel->isHidden()) {
        bottom -= 24;
        BPanel->setGeometry(0, bottom, w, 24);
        const int side = std::max(0, (w - 200) / 2);
        LeftPanel->setGeometry(0, 0, side, 24);
        RightPanel->setGeometry(w - side, 0, side, 24);
        CenterPanel->setGeometry(side, 0, std::max(0, w - 2 * side), 24);
        const QRect inner = CenterPanel->contentsRect();
        LeftBtnPanel->setGeometry(inner.left(), inner.top(), 46, inner.height());
        RightBtnPanel->setGeometry(inner.right() + 1 - 46, inner.top(), 46, inner.height());
        LabelPage->setGeometry(inner.left() + 46, inner.top(), std::max(0, inner.width() - 92), inner.height());
        // The search's "n di m" looks like the page's "n di m": a label of the same size.
        HitLabel->setGeometry(QRect(QPoint(kHitLabelX, LabelPage->y()), LabelPage->size()));
    }
    if (!HPanel->isHidden()) {
        const int hh = HPanel->height();
        bottom -= hh;
        HPanel->setGeometry(0, bottom, w, hh);
        const int corner = SpacePanel->width();
        SpacePanel->setGeometry(w - corner, 0, corner, hh);
        HScroll->setGeometry(0, 0, std::max(0, w - corner), hh);
    }
    int right = w;
    if (!VPanel->isHidden()) {
        const int vw = VPanel->width();
        right -= vw;
        VPanel->setGeometry(right, toolbar, vw, std::max(0, bottom - toolbar));
        VScroll->setGeometry(0, 0, vw, std::max(0, bottom - toolbar));
    }
    int left = 0;
    if (Thumbnails) {
        Thumbnails->setVisible(thumbnailsOn_ && !FullScreen);
        if (!Thumbnails->isHidden()) {
            left = std::min(Thumbnails->PanelWidth(), std::max(0, right));
            Thumbnails->setGeometry(0, toolbar, left, std::max(0, bottom - toolbar));
        }
    }
    if (PaintPanel) PaintPanel->setGeometry(left, toolbar, std::max(0, right - left), std::max(0, bottom - toolbar));
}

void TStandardPreview::SetToolbarVisible(bool on) {
    toolbarHeight_ = on ? 24 : 0;
    StatusBar->setVisible(on);
    Realign();
}

// --- Window events ---------------------------------------------------------------------------

void TStandardPreview::ReportChanged() {}

void TStandardPreview::showEvent(QShowEvent* event) {
    TcvPreview::showEvent(event);
    if (!event->spontaneous()) RunCommand(this, [this] { FormShow(); });
}

void TStandardPreview::resizeEvent(QResizeEvent* event) {
    TcvPreview::resizeEvent(event);
    Realign();
    FormResize();
}

// Nothing of the window reads the pages once it is hidden: the report may go before the window.
void TStandardPreview::DoHide() {
    hits_->Clear();
    delete Thumbnails;
    Thumbnails = nullptr;
    thumbnailsOn_ = false;
    ThumbBtn->setChecked(false);
    TcvPreview::DoHide();
}

void TStandardPreview::closeEvent(QCloseEvent* event) {
    FormClose();
    TcvPreview::closeEvent(event);
}

void TStandardPreview::FormShow() {
    // Showing again (after Open) from full screen leaves it properly first, so that the bars and
    // the window's frame come back with the flag.
    if (FullScreen) SetFullScreen(false);
    FullScreen = false;
    PagePanel->hide();
    PagePanel->move(PagePanel->x(), 0);
    BPanel->show();
    VPanel->show();
    HPanel->show();

    MaxPageWidth = 0;
    MaxPageHeight = 0;
    for (int i = 0; i < PageCount(); ++i) {
        const PreparedPage& page = Report->EMFPages().Pages(i);
        MaxPageWidth = std::max(MaxPageWidth, Round32(std::max(0, page.Width) * 0.37809523809523809524));
        MaxPageHeight = std::max(MaxPageHeight, Round32(std::max(0, page.Height) * 0.37809523809523809524));
    }
    VScroll->setValue(0);
    HScroll->setValue(0);
    LastVPos = 0;
    LastHPos = 0;

    if (Thumbnails) Thumbnails->Reset();
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    HPanel->resize(HPanel->width(), extent);
    VPanel->resize(extent, VPanel->height());
    SpacePanel->resize(VPanel->width(), SpacePanel->height());
    Realign();

    ShowPage(1);
    ZoomMode = zmPercent;
    SetZoom(100);
}

void TStandardPreview::FormResize() {
    Resized = true;
    ApplyZoomMode();
    if (!PagePanel->isHidden()) PagePanel->move(PagePanel->x(), height() - PagePanel->height());
    // The bottom bar's side panels centre the 200-pixel middle part (Realign sizes them).
}

void TStandardPreview::FormClose() {
    if (Timer->isActive()) {
        BlinkCount = 8;
        TimerTimer();
    }
}

// --- Keys, wheel, clicks on the bars ----------------------------------------------------------

bool TStandardPreview::ZoomBtnFocused() const {
    const QWidget* f = focusWidget();
    return f && (f == ZoomBtn || ZoomBtn->isAncestorOf(f));
}

void TStandardPreview::keyPressEvent(QKeyEvent* event) {
    // Keys that the zoom box passed on stay unused: they were meant for the box.
    if (ZoomBtnFocused()) {
        event->ignore();
        return;
    }
    event->accept();
    FormKeyDown(event);
}

void TStandardPreview::FormKeyDown(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    RunCommand(this, [&] {
        switch (event->key()) {
        case Qt::Key_Escape:
            if (FullScreen)
                SetFullScreen(false);
            else
                close();
            break;
        case Qt::Key_Space: SetFullScreen(!FullScreen); break;
        case Qt::Key_PageUp:
            if (ctrl)
                PrevPage();
            else
                VScroll->setValue(VScroll->value() - VScroll->pageStep());
            break;
        case Qt::Key_PageDown:
            if (ctrl)
                NextPage();
            else
                VScroll->setValue(VScroll->value() + VScroll->pageStep());
            break;
        case Qt::Key_End: LastPage(); break;
        case Qt::Key_Home: FirstPage(); break;
        case Qt::Key_Left: HScroll->setValue(HScroll->value() - HScroll->singleStep()); break;
        case Qt::Key_Up: VScroll->setValue(VScroll->value() - VScroll->singleStep()); break;
        case Qt::Key_Right: HScroll->setValue(HScroll->value() + HScroll->singleStep()); break;
        case Qt::Key_Down: VScroll->setValue(VScroll->value() + VScroll->singleStep()); break;
        case Qt::Key_F2: Print(); break;
        case Qt::Key_F3:
            if (event->modifiers() & Qt::ShiftModifier)
                FindPreviousHit();
            else
                Find();
            break;
        case Qt::Key_F4: SetThumbnailsVisible(!thumbnailsOn_); break;
        case Qt::Key_F10: Open(); break;
        case Qt::Key_F11: Save(); break;
        // The plus/equals and minus keys of the main keyboard (shifted or not), not the keypad's.
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            if (!keypad) NextPage();
            break;
        case Qt::Key_Minus:
        case Qt::Key_Underscore:
            if (!keypad) PrevPage();
            break;
        default: break;  // Enter included: swallowed
        }
    });
}

// A key pressed in the zoom box. The platform delivers it to the combo box, which is its editor's
// focus proxy and hands it to the editor directly, past any filter on the editor; the editor gets
// it itself only when it holds the focus. Enter applies the zoom; the command keys F2, F3, F4, F10
// and F11, which the box has no use for, stay the window's (each command applies the zoom being typed
// first). True when the key is used up here.
bool TStandardPreview::ZoomBtnKeyDown(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: RunCommand(this, [this] { ApplyZoomText(); }); return true;
    case Qt::Key_F2:
    case Qt::Key_F3:
    case Qt::Key_F4:
    case Qt::Key_F10:
    case Qt::Key_F11: FormKeyDown(event); return true;
    default: return ZoomBtnKeyPress(event);
    }
}

// The zoom box lets through only Backspace, "%", digits and the decimal separator of the characters
// typed. Keys that type no printable character (arrows, Delete, Escape) and shortcuts (Ctrl+A,
// Ctrl+Z) reach the box as usual.
bool TStandardPreview::ZoomBtnKeyPress(QKeyEvent* event) {
    const QString text = event->text();
    if (text.isEmpty() || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QChar c = text.at(0);
    if (c != QChar(8) && !c.isPrint()) return false;
    const bool allowed = c == QChar(8) || c == '%' || (c >= '0' && c <= '9') || c == DecimalSeparator();
    return !allowed;
}

void TStandardPreview::WheelNotches(int notches) {
    for (int i = 0; i < std::abs(notches); ++i)
        VScroll->setValue(VScroll->value() + (notches > 0 ? -VScroll->singleStep() : VScroll->singleStep()));
}

// Ctrl + wheel: zooms in (away from the user) or out by a factor per notch, about the point under
// the pointer, or about the middle of the page area when the pointer is elsewhere.
void TStandardPreview::WheelZoom(int notches, QPointF globalPosition) {
    if (notches == 0) return;
    const double z = std::clamp(Zoom * std::pow(kWheelZoomFactor, notches), kWheelZoomMin, kWheelZoomMax);
    if (z == Zoom) return;
    QPoint at = PaintPanel->mapFromGlobal(globalPosition).toPoint();
    if (!PaintPanel->rect().contains(at)) at = PaintPanel->rect().center();
    RunCommand(this, [&] { ZoomAbout(z, at); });
}

// A report or a template dropped onto the window is opened as F10 opens it; the open waits until
// the drop is over, so that the program the file came from is not held up by it.
void TStandardPreview::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedReportFile(*event->mimeData()).empty()) event->acceptProposedAction();
}

void TStandardPreview::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedReportFile(*event->mimeData()).empty()) event->acceptProposedAction();
}

void TStandardPreview::dropEvent(QDropEvent* event) {
    const fs::path file = DroppedReportFile(*event->mimeData());
    if (file.empty()) return;
    event->acceptProposedAction();
    QMetaObject::invokeMethod(this, [this, file] { RunCommand(this, [&] { OpenFile(file); }); }, Qt::QueuedConnection);
}

bool TStandardPreview::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == ZoomBtn || watched == ZoomBtn->lineEdit())
            return ZoomBtnKeyDown(static_cast<QKeyEvent*>(event));
        break;
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        wheelRemainder_ += wheel->angleDelta().y();
        const int notches = wheelRemainder_ / 120;
        wheelRemainder_ -= notches * 120;
        if (wheel->modifiers() & Qt::ControlModifier)
            WheelZoom(notches, wheel->globalPosition());
        else
            WheelNotches(notches);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (watched == StatusBar || watched == Panel0 || watched == Panel1 || watched == Panel2 ||
            watched == PagePanel || watched == SpacePanel || watched == PaintPage)
            RunCommand(this, [this] { ApplyZoomText(); });
        break;
    default: break;
    }
    return TcvPreview::eventFilter(watched, event);
}

// --- Scroll bars ---------------------------------------------------------------------------

void TStandardPreview::VScrollChange(int value) {
    const int dy = LastVPos - value;
    LastVPos = value;
    PaintPanel->ScrollBy(0, dy);
    if (!PaintPanel->Painting()) ApplyZoomText();
}

void TStandardPreview::HScrollChange(int value) {
    const int dx = LastHPos - value;
    LastHPos = value;
    PaintPanel->ScrollBy(dx, 0);
    if (!PaintPanel->Painting()) ApplyZoomText();
}

// --- Commands ------------------------------------------------------------------------------

void TStandardPreview::FirstPage() { ShowPage(1); }

void TStandardPreview::LastPage() { ShowPage(PageCount()); }

void TStandardPreview::NextPage() {
    if (CurPage < PageCount()) ShowPage(ZoomMode == zmTwoPages ? CurPage + 2 : CurPage + 1);
    ApplyZoomText();
}

void TStandardPreview::PrevPage() {
    if (CurPage > 1) ShowPage(ZoomMode == zmTwoPages ? CurPage - 2 : CurPage - 1);
    ApplyZoomText();
}

void TStandardPreview::PageWidth() {
    ZoomBtn->setEditText(Text(ZoomModeText(zmPageWidth)));
    ZoomMode = zmPageWidth;
    ApplyZoomMode();
}

void TStandardPreview::OnePage() {
    ZoomBtn->setEditText(Text(ZoomModeText(zmOnePage)));
    ZoomMode = zmOnePage;
    ApplyZoomMode();
}

void TStandardPreview::TwoPages() {
    ZoomBtn->setEditText(Text(ZoomModeText(zmTwoPages)));
    ZoomMode = zmTwoPages;
    ApplyZoomMode();
}

// --- Zoom box ------------------------------------------------------------------------------

void TStandardPreview::ApplyZoomText() {
    if (!ZoomBtnFocused()) return;
    // Disabling the box takes the focus from it: the window gets the keys again.
    ZoomBtn->setEnabled(false);
    setFocus();
    const auto enableAgain = qScopeGuard([this] { ZoomBtn->setEnabled(true); });

    QString text = ZoomBtn->currentText();
    for (TZoomMode mode : {zmPageWidth, zmOnePage, zmTwoPages}) {
        if (text == Text(ZoomModeText(mode))) {
            ZoomMode = mode;
            ApplyZoomMode();
            return;
        }
    }
    const qsizetype percent = text.indexOf('%');
    if (percent >= 0 && percent == text.size() - 1) text.chop(1);
    const qsizetype separator = text.indexOf(DecimalSeparator());
    if (separator >= 0) text[separator] = '.';
    double number = 0;
    if (!StrictToFloat(text, number) || number == 0 || !ZoomFits(number)) {
        UiHooks().Beep();
        PostUpdateZoomText();
    } else if (ZoomMode != zmPercent || number != Zoom) {
        ZoomMode = zmPercent;
        SetZoom(number);
    } else {
        PostUpdateZoomText();
    }
}

void TStandardPreview::PostUpdateZoomText() {
    QMetaObject::invokeMethod(this, [this] { UpdateZoomText(); }, Qt::QueuedConnection);
}

void TStandardPreview::UpdateZoomText() {
    const double shown = std::trunc(Zoom) + RoundHalfEven((Zoom - std::trunc(Zoom)) * 10) / 10.0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", shown);
    QString text = QString::fromLatin1(buffer);
    text.replace('.', DecimalSeparator());
    ZoomBtn->setEditText(text + "%");
}

// --- Full screen ---------------------------------------------------------------------------

void TStandardPreview::SetFullScreen(bool on) {
    if (on != FullScreen) {
        if (on) {
            SavedWindowState = windowState();
            savedGeometry_ = geometry();
            SavedToolbarOn = ToolbarOn;
            SetToolbarVisible(false);
            BPanel->hide();
            VPanel->hide();
            HPanel->hide();
            if (PageNumbersOn) {
                PagePanel->move(PagePanel->x(), height() - PagePanel->height());
                PagePanel->show();
                PagePanel->raise();
            }
            FullScreen = true;  // the bars are gone before the window grows
            Realign();
            // No caption and no frame over the whole screen (set explicitly too: without a window
            // manager the state alone moves nothing).
            if (QScreen* screen = this->screen()) setGeometry(screen->geometry());
            setWindowState(windowState() | Qt::WindowFullScreen);
        } else {
            SetToolbarVisible(SavedToolbarOn);
            PagePanel->hide();
            PagePanel->move(PagePanel->x(), 0);
            BPanel->show();
            VPanel->show();
            HPanel->show();
            LeftPanel->setVisible(PageNumbersOn);
            FullScreen = false;
            Realign();
            setWindowState(SavedWindowState & ~Qt::WindowFullScreen);
            if (savedGeometry_.isValid()) setGeometry(savedGeometry_);
        }
    }
    if (!(HScroll->value() == 0 && HScroll->maximum() > 70)) {
        PaintPanel->KeepPosition = true;
        PaintedZoom = 0;
        ApplyZoomMode();
        PaintPanel->KeepPosition = false;
    }
    FullScreen = on;
    PaintPagePaint();
}

// --- Page label ----------------------------------------------------------------------------

void TStandardPreview::PaintPagePaint() {
    if (FullScreen)
        PaintPage->update();
    else
        LabelPage->setText(QString("%1 di %2").arg(CurPage).arg(PageCount()));
    if (Thumbnails) Thumbnails->SetCurrentPage(CurPage);
}

// --- Thumbnails ----------------------------------------------------------------------------

void TStandardPreview::SetThumbnailsVisible(bool on) {
    thumbnailsOn_ = on;
    ThumbBtn->setChecked(on);
    if (on && !Thumbnails) Thumbnails = new TThumbnailPanel(this);
    Realign();
    if (on) Thumbnails->SetCurrentPage(CurPage);
    // The page area changed its width: a fitted zoom follows it, the view stays where it was.
    PaintPanel->KeepPosition = true;
    PaintedZoom = 0;
    ApplyZoomMode();
    PaintPanel->KeepPosition = false;
}

int TStandardPreview::PageCount() const { return Report ? Report->EMFPages().Count() : 0; }

}  // namespace tessaly
