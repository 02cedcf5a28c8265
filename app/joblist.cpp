#include "app/joblist.h"

void JobListModel::setHeader(const QString& caption) {
    header = caption;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int JobListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant JobListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole)
        return rows.at(index.row());
    return {};
}

QVariant JobListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return header;
    return {};
}

void JobListModel::setText(int row, const QString& text) {
    rows[row] = text;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed);
}

void JobListModel::append(const QString& path) {
    beginInsertRows({}, count(), count());
    rows.append(path);
    endInsertRows();
}

void JobListModel::append(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    beginInsertRows({}, count(), count() + static_cast<int>(paths.size()) - 1);
    rows.append(paths);
    endInsertRows();
}

void JobListModel::removeAt(int row) {
    beginRemoveRows({}, row, row);
    rows.removeAt(row);
    endRemoveRows();
}

void JobListModel::clear() {
    beginResetModel();
    rows.clear();
    endResetModel();
}

bool JobListModel::contains(const QString& path) const {
    return rows.contains(path, Qt::CaseSensitive);
}
