// The job list: appending, removing, clearing and reordering rows by dragging.
#include "app/form1.h"

#include "app/errorbox.h"
#include "app/joblist.h"
#include "platform/cursorfile.h"

#include <QItemSelectionModel>
#include <QTreeView>

void Form1::AddToList(const QString& path) { jobList->append(path); }

void Form1::showAddedRows(int countBefore) {
    if (ItemCount() <= countBefore)
        return;
    jobList->flush();
    const QModelIndex first = jobList->index(countBefore);
    if (!ListView1->viewport()->rect().contains(ListView1->visualRect(first)))
        ListView1->scrollTo(first, QAbstractItemView::PositionAtTop);
}

bool Form1::IsInList(const QString& path) const { return jobList->contains(path); }

int Form1::ItemCount() const { return jobList->count(); }

QString Form1::ItemText(int index) const { return jobList->text(index - 1); }

// Rows must not go away or move while long work is running: the busy pointer shows during a
// folder scan and for each item of a conversion, and a conversion holds the list from the
// moment it is accepted until its closing message is dismissed.
bool Form1::listLocked() const { return isBusy() || Converting; }

void Form1::ListView1_RemoveSelected() {
    if (listLocked() || jobList->count() == 0)
        return;
    const QModelIndexList selected = ListView1->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    jobList->removeAt(selected.first().row());
}

void Form1::PushButton6_Click() {
    errorreport::Guarded g(
        errorreport::Showing(*services.dialogs, this, errorreport::labels::PushButton6));
    g.run(100, [&] {
        if (!listLocked())
            jobList->clear();
    });
}

void Form1::ListView1_MouseDown() { IsDragging = true; }

void Form1::ListView1_ItemClick(const QModelIndex& item) {
    DraggedItem = item;
    // The drag pointer is read at every click; without it the list keeps its pointer.
    if (auto drag =
            platform::LoadCursorFile(services.applicationFolder + QStringLiteral("/drag.ico")))
        ListView1->viewport()->setCursor(*drag);
}

void Form1::ListView1_MouseMove(const QPoint& listPosition, int screenY, bool buttonHeld) {
    if (!isBusy())
        setPointer(Pointer::Default);
    if (!IsDragging || !buttonHeld || Converting)
        return;
    const QModelIndex under = ListView1->indexAt(listPosition);
    // The dragged row may have been removed since the click: the gesture just does nothing.
    if (!under.isValid() || !DraggedItem.isValid())
        return;
    const int from = DraggedItem.row();
    const int to = under.row();
    if (jobList->text(from) == jobList->text(to))
        return;
    const QString dragged = jobList->text(from);
    jobList->setText(from, jobList->text(to));
    jobList->setText(to, dragged);
    ListView1->selectionModel()->setCurrentIndex(under, QItemSelectionModel::ClearAndSelect);
    DraggedItem = under;

    // Scroll only when the dragged path actually moved.
    if (const int row = ScrollTarget(to + 1, jobList->count(), screenY); row > 0)
        ListView1->scrollTo(jobList->index(row - 1));
}

int ScrollTarget(int n, int count, int screenY) {
    if (screenY < 305 && n >= 2)
        return n - 1;
    if (screenY > 364 && n + 1 <= count)
        return n + 1;
    return 0;
}

void Form1::ListView1_MouseUp() {
    IsDragging = false;
    ListView1->viewport()->unsetCursor();
}
