// The format dialog driven through its controls, with keys sent where the focus is.
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "engine/expr/CV_FormatCode.h"
#include "engine/report/EngineWindows.h"
#include "engine/ui/CV_fmted.h"

using namespace tessaly;

namespace {

uint32_t Code(int category, int index, int decimals, char separator) {
    return WithCategory(WithIndex(WithDecimals(WithSeparator(0, separator), decimals), index), category);
}

QWidget* Focus() { return QApplication::focusWidget(); }

void Key(int key) { QTest::keyClick(Focus(), static_cast<Qt::Key>(key)); }

// Tabs from the first control until `target` has the focus.
bool TabTo(QWidget* target) {
    for (int i = 0; i < 10 && Focus() != target; ++i) Key(Qt::Key_Tab);
    return Focus() == target;
}

// Whether the dialog shows anything but its background where the panels lie.
bool PanelsShowSomething(TFmtForm& form) {
    const QRect area(form.Panel1->mapTo(&form, QPoint(0, 0)), form.Panel1->size());
    const QImage image = form.grab(area).toImage();
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background) return true;
    return false;
}

}  // namespace

class FmtFormTest : public QObject {
    Q_OBJECT

    // A dialog opened on `code` with `text`, as the designer opens it, shown and active.
    std::unique_ptr<TFmtForm> Open(uint32_t code, const QString& text = {}) {
        auto form = std::make_unique<TFmtForm>();
        form->Format = code;
        form->Edit1->setText(text);
        form->show();
        form->activateWindow();
        (void)QTest::qWaitForWindowActive(form.get());
        form->ComboBox1->setFocus();
        return form;
    }

private slots:
    void LaidOutAsDesigned() {
        auto form = Open(Code(fcText, 0, 2, ','));
        QCOMPARE(form->windowTitle(), QString("Formatta variabile"));
        QCOMPARE(form->size(), QSize(280, 135));
        QCOMPARE(form->GroupBox2->title(), QString("Formato variabile"));
        QCOMPARE(form->GroupBox2->geometry(), QRect(6, 9, 268, 88));
        QCOMPARE(form->ComboBox1->geometry().topLeft(), QPoint(12, 20));
        QCOMPARE(form->ComboBox1->width(), 101);
        QCOMPARE(form->ComboBox2->geometry().topLeft(), QPoint(124, 20));
        QCOMPARE(form->ComboBox2->width(), 129);
        QCOMPARE(form->Panel1->geometry(), QRect(8, 52, 249, 33));
        QCOMPARE(form->Panel2->geometry(), QRect(8, 52, 249, 33));
        QCOMPARE(form->Edit3->geometry().topLeft(), QPoint(68, 4));
        QCOMPARE(form->SplEdit->geometry().topLeft(), QPoint(220, 4));
        QCOMPARE(form->Edit1->geometry().topLeft(), QPoint(116, 4));
        QCOMPARE(form->Label5->text(), QString("Cifre decimali"));
        QCOMPARE(form->Label6->text(), QString("Simbolo frazione"));
        QCOMPARE(form->Label1->text(), QString("Formato"));
        for (QWidget* control : std::initializer_list<QWidget*>{form->Label5, form->Edit3, form->ComboBox2, form->Button1})
            QCOMPARE(control->font(), form->font());  // the dialog's font, also inside the framed box
        QVERIFY(form->Label5->geometry().right() < form->Edit3->geometry().left());
        QCOMPARE(form->Button1->geometry(), QRect(120, 104, 75, 25));
        QCOMPARE(form->Button2->geometry(), QRect(200, 104, 75, 25));
        QCOMPARE(form->Button1->text(), QString("&OK"));
        QCOMPARE(form->Button2->text(), QString("&Annulla"));
        QCOMPARE(form->ComboBox1->count(), 5);
        QCOMPARE(form->ComboBox1->itemText(3), QString("Orario"));
        QCOMPARE(form->ComboBox2->count(), 1);
        QCOMPARE(form->ComboBox2->currentText(), QString("[Nessuno]"));
        QVERIFY(form->Panel1->isHidden());
        QVERIFY(form->Panel2->isHidden());
    }

    void OpensOnTheCodeItIsGiven() {
        struct Case { uint32_t code; int category; int index; bool panel1; bool panel2; };
        const Case cases[] = {
            {Code(fcNumber, 1, 3, '.'), 1, 1, true, false},
            {Code(fcNumber, 4, 3, ','), 1, 4, false, true},
            {Code(fcDate, 3, 2, ','), 2, 3, false, false},
            {Code(fcTime, 4, 2, ','), 3, 4, false, true},
            {Code(fcBoolean, 2, 2, ','), 4, 2, false, false},
            {Code(fcBoolean, 3, 2, ','), 4, -1, false, false},
            {Code(9, 0, 2, ','), -1, -1, false, false},
        };
        for (const Case& c : cases) {
            auto form = Open(c.code, "dd mmmm");
            QCOMPARE(form->ComboBox1->currentIndex(), c.category);
            QCOMPARE(form->ComboBox2->currentIndex(), c.index);
            QCOMPARE(form->Panel1->isVisible(), c.panel1);
            QCOMPARE(form->Panel2->isVisible(), c.panel2);
            QCOMPARE(form->Format, c.code);
        }
        auto form = Open(Code(fcNumber, 1, 3, '.'));
        QCOMPARE(form->Edit3->text(), QString("3"));
        QCOMPARE(form->SplEdit->text(), QString("."));
        QVERIFY(PanelsShowSomething(*form));
    }

    void ChoosingNumberShowsItsDecimalsAndCustomShowsTheFormatText() {
        auto form = Open(0xA0000000u | Code(fcText, 0, 3, ','), "resta?");
        QCOMPARE(Focus(), form->ComboBox1);
        Key(Qt::Key_Down);  // Numero
        QCOMPARE(FormatCategory(form->Format), int(fcNumber));
        QCOMPARE(FormatIndex(form->Format), 0);
        QCOMPARE(form->ComboBox2->currentText(), QString("1234,5"));
        QVERIFY(form->Panel1->isVisible());
        QCOMPARE(form->Edit3->text(), QString("3"));
        QCOMPARE(form->SplEdit->text(), QString(","));
        QCOMPARE(form->Edit1->text(), QString());  // choosing a category clears the format text

        QVERIFY(TabTo(form->ComboBox2));
        Key(Qt::Key_End);  // Personalizzato
        QCOMPARE(FormatIndex(form->Format), CustomFormatIndex);
        QVERIFY(form->Panel1->isHidden());
        QVERIFY(form->Panel2->isVisible());
        QVERIFY(TabTo(form->Edit1));
        QTest::keyClicks(Focus(), "#,##0.00");
        QCOMPARE(form->Edit1->text(), QString("#,##0.00"));

        Key(Qt::Key_Backtab);
        QCOMPARE(Focus(), form->ComboBox2);
        Key(Qt::Key_Home);
        QVERIFY(form->Panel1->isVisible());
        QVERIFY(form->Panel2->isHidden());
        QCOMPARE(form->Format >> 28, 0xAu);  // the unused bits stay as they were

        QVERIFY(TabTo(form->ComboBox1));
        Key(Qt::Key_Down);  // Data
        QCOMPARE(FormatCategory(form->Format), int(fcDate));
        QCOMPARE(form->ComboBox2->count(), 5);
        QVERIFY(form->Panel1->isHidden());
        QVERIFY(!PanelsShowSomething(*form));
    }

    void TypedDecimalsAndSeparatorGoIntoTheCode() {
        auto form = Open(Code(fcNumber, 3, 2, ','));
        QVERIFY(TabTo(form->Edit3));
        Key(Qt::Key_End);
        Key(Qt::Key_Backspace);
        QCOMPARE(FormatDecimals(form->Format), 2);  // an empty box keeps the decimals
        QTest::keyClicks(Focus(), "4x");
        QCOMPARE(form->Edit3->text(), QString("4"));
        QCOMPARE(FormatDecimals(form->Format), 4);
        QTest::keyClicks(Focus(), "99");
        QCOMPARE(FormatDecimals(form->Format), 49);  // 499 would spill into the index
        QCOMPARE(FormatIndex(form->Format), 3);

        Key(Qt::Key_Tab);
        QCOMPARE(Focus(), form->SplEdit);
        QTRY_COMPARE(form->SplEdit->selectedText(), QString(","));
        QTest::keyClicks(Focus(), ".");
        QCOMPARE(FormatSeparator(form->Format), '.');
        Key(Qt::Key_Backspace);
        QCOMPARE(FormatSeparator(form->Format), ',');  // an empty separator is a comma
        QTest::keyClicks(Focus(), "\xC2\xB7");  // a middle dot, a cp1252 character
        QCOMPARE(FormatSeparator(form->Format), '\xB7');
    }

    void ClosesWithOkOrCancel() {
        auto form = Open(Code(fcNumber, 0, 2, ','));
        QTest::mouseClick(form->Button1, Qt::LeftButton);
        QCOMPARE(form->result(), int(mrOk));
        QVERIFY(form->isHidden());
        form = Open(Code(fcNumber, 0, 2, ','));
        QTest::mouseClick(form->Button2, Qt::LeftButton);
        QCOMPARE(form->result(), int(mrCancel));
    }
};

QTEST_MAIN(FmtFormTest)
#include "FmtFormTest.moc"
