#pragma once

// The rows of the result list 超级列表框1: nine text columns, read-only for the user.

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <vector>

// moc cannot read the Chinese enumerator names.
#ifndef Q_MOC_RUN
#include "common/control_surface.h"
#endif

namespace miyoutong {

class ResultListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    struct Column {
        const char* title;  // UTF-8
        int width;
    };
    static const std::array<Column, kResultColumnCount> kColumns;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Inserts a row at `index`, or at the end when it is negative or past the end; returns the
    // new row's index.
    int InsertRow(int index, const QString& firstColumn);
    // Empty for a cell that does not exist.
    QString Text(int row, int column) const;
    void SetText(int row, int column, const QString& text);
    void Clear();

private:
    using Row = std::array<QString, kResultColumnCount>;
    bool HasCell(int row, int column) const;

    std::vector<Row> rows_;
};

}  // namespace miyoutong
