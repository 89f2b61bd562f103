#pragma once
// The find dialog of the preview and the find settings that the program keeps between searches
// (one set for all preview windows, from start-up to shut-down).
#include <cstdint>

#include <QDialog>

#include "platform/core/Cp1252.h"
#include "platform/core/StringList.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace tessaly {

// The origins of a search, as FindSettings numbers them.
enum TFindOrigin : uint8_t { foFirstPage = 0, foCurrentPage = 1, foNext = 2, foPrevious = 3 };

struct TFindSettings {
    bool MatchCase = false;
    bool PartOfWord = true;
    bool NextEnabled = false;
    bool PrevEnabled = false;
    uint8_t Origin = foFirstPage;
    StringList History;
    AnsiString Text;
};

// Made by the find unit's start-up, freed at shut-down.
extern TFindSettings* FindSettings;
void InitFindUnit();
void DoneFindUnit();

class TFindForm : public QDialog {
    Q_OBJECT
public:
    explicit TFindForm(QWidget* parent = nullptr);

    QLabel* FindLabel = nullptr;
    QPushButton* OKBtn = nullptr;
    QComboBox* FindText = nullptr;
    QGroupBox* FindOptions = nullptr;
    QCheckBox* FindCase = nullptr;
    QCheckBox* FindSub = nullptr;
    QPushButton* CancelBtn = nullptr;
    QGroupBox* FindOrigin = nullptr;
    QRadioButton* FindFirstPage = nullptr;
    QRadioButton* FindCurrentPage = nullptr;
    QRadioButton* FindNext = nullptr;
    QRadioButton* FindPrevious = nullptr;

    // What the dialog shows, as Find notes it before the dialog runs and puts it back on Cancel.
    struct TState {
        QString Text;
        bool MatchCase = false;
        bool PartOfWord = true;
        bool NextEnabled = false;
        bool PrevEnabled = false;
        uint8_t Origin = foFirstPage;
    };
    TState State() const;
    void SetState(const TState& state);

    void LoadSettings(const TFindSettings& settings);
    void StoreSettings(TFindSettings& settings) const;

    // The checked origin button (a dialog without one counts as "Precedente").
    uint8_t Origin() const;
    void SetOrigin(uint8_t origin);
    // The search text in cp1252.
    AnsiString SearchText() const;
    // Appends the text to the history unless an item equals it (ignoring the case of a to z).
    void AddToHistory(const AnsiString& text);

    // Centres the dialog on the screen and runs it modally: mrOk or mrCancel.
    int ShowModal();

    void FindTextChange();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormShow();
};

}  // namespace tessaly
