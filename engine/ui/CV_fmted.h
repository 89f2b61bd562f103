#pragma once
// The format dialog of a report designer: it edits a text object's format code (category, format
// within it, decimals and decimal separator) and its format text. The caller sets Format and Edit1
// before ShowModal and reads both back after mrOk.
#include <cstdint>

#include <QDialog>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessaly {

class TFmtForm : public QDialog {
    Q_OBJECT
public:
    explicit TFmtForm(QWidget* parent = nullptr);

    uint32_t Format = 0;  // the code being edited

    QGroupBox* GroupBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr;  // categories
    QComboBox* ComboBox2 = nullptr;  // the category's formats, by their samples
    QFrame* Panel1 = nullptr;        // decimals and separator of a number format
    QLabel* Label5 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* SplEdit = nullptr;
    QFrame* Panel2 = nullptr;        // the format text of a custom format
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    // Centres the dialog on the screen and runs it modally: mrOk or mrCancel.
    int ShowModal();

    void ComboBox1Change(int index);
    void ComboBox2Change(int index);
    void Edit3Change(const QString& text);
    void SplEditChange(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void FillSamples(int category);
    void ShowPanels();
};

}  // namespace tessaly
