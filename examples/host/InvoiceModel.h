#pragma once
// The same rows as a table model, as an application shows them in a QTableView: the template
// reads the model's columns by their headers.
#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

class InvoiceModel : public QAbstractTableModel {
public:
    InvoiceModel(QStringList headers, std::vector<QVariantList> rows)
        : headers_(std::move(headers)), rows_(std::move(rows)) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList headers_;
    std::vector<QVariantList> rows_;
};
