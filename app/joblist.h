#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QStringList>

// The job list: the ordered source paths a conversion run works through. Each row's text is
// its only datum; rows may repeat. A model/view list, so a million rows stay cheap.
//
// Appended rows reach the view in batches: a view lays out all its rows after each insertion,
// and a scan that appends thousands of rows while serving events would pay that every time.
// Every read through this class sees the appended rows at once; reading changes nothing.
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
    const QString& text(int row) const;
    void setText(int row, const QString& text);
    int count() const;

    void append(const QString& path);
    void removeAt(int row);
    void clear();

    // True when a row's text equals `path` exactly (letter case significant, no trimming). Takes
    // the same short time however long the list is.
    bool contains(const QString& path) const;

    // Hands the appended rows to the view now.
    void flush();

private:
    void timerEvent(QTimerEvent* event) override;
    // Counts one row holding `text` less.
    void forget(const QString& text);

    QStringList rows;    // the rows the view knows
    QStringList pending; // appended, not yet announced to the view
    // How many rows, shown or pending, hold each text; a text no row holds has no entry. The
    // keys share the rows' strings.
    QHash<QString, int> listed;
    int flushTimer = 0;
    QString header;
};

// While a dragged path moves through the list near the top or bottom of the screen, the row to
// scroll into view: the one above the pointer row `n` (1-based) when the pointer is above
// screen height 305, the one below when it is below 364; 0 for none.
int ScrollTarget(int n, int count, int screenY);
