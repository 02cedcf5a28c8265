#include "app/joblist.h"

#include <QTimerEvent>

void JobListModel::setHeader(const QString& caption) {
    header = caption;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

namespace {
constexpr int FlushIntervalMs = 50;
}

int JobListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

int JobListModel::count() const { return static_cast<int>(rows.size() + pending.size()); }

const QString& JobListModel::text(int row) const {
    return row < rows.size() ? rows.at(row) : pending.at(row - rows.size());
}

void JobListModel::flush() {
    if (flushTimer != 0) {
        killTimer(flushTimer);
        flushTimer = 0;
    }
    if (pending.isEmpty())
        return;
    const int first = static_cast<int>(rows.size());
    beginInsertRows({}, first, first + static_cast<int>(pending.size()) - 1);
    rows.append(pending);
    pending.clear();
    endInsertRows();
}

void JobListModel::timerEvent(QTimerEvent* event) {
    if (event->timerId() == flushTimer)
        flush();
}

QVariant JobListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return rows.at(index.row());
    return {};
}

QVariant JobListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return header;
    return {};
}

void JobListModel::setText(int row, const QString& text) {
    flush();
    forget(rows[row]);
    ++listed[text];
    rows[row] = text;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed);
}

void JobListModel::append(const QString& path) {
    ++listed[path];
    pending.append(path);
    if (flushTimer == 0)
        flushTimer = startTimer(FlushIntervalMs);
}

void JobListModel::removeAt(int row) {
    flush();
    beginRemoveRows({}, row, row);
    forget(rows[row]);
    rows.removeAt(row);
    endRemoveRows();
}

void JobListModel::clear() {
    flush();
    beginResetModel();
    rows.clear();
    listed.clear();
    endResetModel();
}

bool JobListModel::contains(const QString& path) const { return listed.contains(path); }

void JobListModel::forget(const QString& text) {
    const auto found = listed.find(text);
    if (found != listed.end() && --*found == 0)
        listed.erase(found);
}
