#include "app/widgets/result_list_model.h"

namespace miyoutong {

const std::array<ResultListModel::Column, kResultColumnCount> ResultListModel::kColumns = {{
    {"序号", 50},
    {"会员ID", 80},
    {"昵称", 80},
    {"年龄", 50},
    {"地区", 80},
    {"诚信值", 60},
    {"相片地址", 80},
    {"是否已下载", 80},
    {"保存地址", 50},
}};

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kResultColumnCount;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !HasCell(index.row(), index.column())) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return rows_[index.row()][index.column()];
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        default:
            return {};
    }
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kResultColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromUtf8(kColumns[section].title);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        default:
            return {};
    }
}

Qt::ItemFlags ResultListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

int ResultListModel::InsertRow(int index, const QString& firstColumn) {
    const int count = static_cast<int>(rows_.size());
    const int at = index < 0 || index > count ? count : index;
    beginInsertRows(QModelIndex(), at, at);
    Row row;
    row[0] = firstColumn;
    rows_.insert(rows_.begin() + at, std::move(row));
    endInsertRows();
    return at;
}

QString ResultListModel::Text(int row, int column) const {
    return HasCell(row, column) ? rows_[row][column] : QString();
}

void ResultListModel::SetText(int row, int column, const QString& text) {
    if (!HasCell(row, column) || rows_[row][column] == text) {
        return;
    }
    rows_[row][column] = text;
    const QModelIndex cell = index(row, column);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void ResultListModel::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

bool ResultListModel::HasCell(int row, int column) const {
    return row >= 0 && row < static_cast<int>(rows_.size()) && column >= 0 &&
           column < kResultColumnCount;
}

}  // namespace miyoutong
