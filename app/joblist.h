#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The job list: the ordered source paths a conversion run works through. Each row's text is
// its only datum; rows may repeat. A model/view list, so a million rows stay cheap.
class JobListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // The caption of the list's single column.
    void setHeader(const QString& caption);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // 0-based access; the window's procedures speak 1-based (see Form1).
    const QString& text(int row) const { return rows.at(row); }
    void setText(int row, const QString& text);
    int count() const { return static_cast<int>(rows.size()); }

    void append(const QString& path);
    void append(const QStringList& paths);
    void removeAt(int row);
    void clear();

    // True when a row's text equals `path` exactly (letter case significant, no trimming).
    bool contains(const QString& path) const;

private:
    QStringList rows;
    QString header;
};

// While a dragged path moves through the list near the top or bottom of the screen, the row to
// scroll into view: the one above the pointer row `n` (1-based) when the pointer is above
// screen height 305, the one below when it is below 364; 0 for none.
int ScrollTarget(int n, int count, int screenY);
