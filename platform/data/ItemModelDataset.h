#pragma once
// A dataset over a host's table model: any QAbstractItemModel (QStandardItemModel, QSqlQueryModel,
// the host's own QAbstractTableModel). A record is a row of the model's top level, a field a
// column, named by its horizontal header ("ColonnaN" for column N, from 1, without one). Values are those
// of Qt::EditRole, or of Qt::DisplayRole where the model gives none for EditRole (SetRole chooses
// one role); a column's kind is that of its first value that is not null (KindOfQtType), String
// for a column without any.
//
// The rows and their values are read from the model as the dataset walks, so a model that changed
// since the last preparation is read as it is now; the columns are read at each Open. The model
// stays the host's: once it is freed the dataset has no records and cannot be opened.
#include <QPointer>

#include "platform/data/Dataset.h"
#include "platform/data/SqlValue.h"

class QAbstractItemModel;
class QVariant;

namespace tessaly::data {

class ItemModelDataset : public Dataset {
public:
    ItemModelDataset(QAbstractItemModel* model, TComponent* owner);
    ~ItemModelDataset() override;

    QAbstractItemModel* Model() const;
    // The one role values are read by (Qt::DisplayRole, Qt::EditRole, a role of the model's
    // own); kAnyRole, the default, is EditRole, then DisplayRole.
    static constexpr int kAnyRole = -1;
    void SetRole(int role) { role_ = role; }

protected:
    std::vector<FieldDef> OpenRecords() override;
    void CloseRecords() override { at_ = -1; }
    bool MoveTo(int index) override;
    int CountRecords() override;
    Variant ValueOf(const Field& field) const override;

private:
    QVariant Data(int row, int column) const;
    FieldKind ColumnKind(int column) const;

    QPointer<QAbstractItemModel> model_;
    int role_ = kAnyRole;
    int at_ = -1;  // the current row
    // The current row's values, read at its first value.
    mutable SqlRow row_;
    mutable bool read_ = false;
};

}  // namespace tessaly::data
