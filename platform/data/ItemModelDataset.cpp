#include "platform/data/ItemModelDataset.h"

#include <QAbstractItemModel>

#include "platform/core/QtStrings.h"
#include "platform/data/QtValues.h"

namespace tessaly::data {

ItemModelDataset::ItemModelDataset(QAbstractItemModel* model, TComponent* owner) : Dataset(owner), model_(model) {}

ItemModelDataset::~ItemModelDataset() { CloseOnDestroy(); }

QAbstractItemModel* ItemModelDataset::Model() const { return model_.data(); }

QVariant ItemModelDataset::Data(int row, int column) const {
    const QModelIndex index = model_->index(row, column);
    if (role_ != kAnyRole) return model_->data(index, role_);
    QVariant value = model_->data(index, Qt::EditRole);
    return value.isValid() ? value : model_->data(index, Qt::DisplayRole);
}

FieldKind ItemModelDataset::ColumnKind(int column) const {
    const int rows = model_->rowCount();
    for (int row = 0; row < rows; ++row) {
        const QVariant value = Data(row, column);
        if (!value.isNull()) return KindOfQtType(value.metaType());
    }
    return FieldKind::String;
}

std::vector<FieldDef> ItemModelDataset::OpenRecords() {
    if (!model_) throw EDatabaseError("Il modello dei dati non esiste pi\xF9: " + Name());
    std::vector<FieldDef> fields;
    for (int column = 0; column < model_->columnCount(); ++column) {
        AnsiString name = FromQString(model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        if (name.empty()) name = "Colonna" + std::to_string(column + 1);
        fields.push_back({std::move(name), ColumnKind(column)});
    }
    return fields;
}

bool ItemModelDataset::MoveTo(int index) {
    if (index < 0 || index >= CountRecords()) return false;
    at_ = index;
    read_ = false;
    return true;
}

int ItemModelDataset::CountRecords() { return model_ ? model_->rowCount() : 0; }

Variant ItemModelDataset::ValueOf(const Field& field) const {
    if (at_ < 0 || !model_) return Variant::Null();
    if (!read_) {
        row_.Clear();
        for (int column = 0; column < FieldCount(); ++column) AddQtValue(row_, Data(at_, column));
        read_ = true;
    }
    return FieldValueOf(field.Kind(), row_.At(field.Index()));
}

}  // namespace tessaly::data
