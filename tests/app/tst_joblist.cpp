// The job list: removal, Clear List, drag-reordering and the exact-match lookup.
#include "app/joblist.h"
#include "formfixture.h"

#include <QItemSelectionModel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>

using testing::ControlsOf;

class TestJobList : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::FormFixture> f;
    Form1* form = nullptr;
    testing::Controls ui() const { return ControlsOf(*form); }

    QStringList texts() const { return testing::ListedPaths(*form); }
    void fill(const QStringList& paths) {
        for (const QString& p : paths)
            form->AddToList(p);
        ui().jobs.flush(); // the rows reach the view at once
    }
    void select(int row) {
        ui().ListView1->selectionModel()->setCurrentIndex(ui().jobs.index(row - 1),
                                                          QItemSelectionModel::ClearAndSelect);
    }
    QPoint rowCentre(int row) const {
        return ui().ListView1->visualRect(ui().jobs.index(row - 1)).center();
    }

private slots:
    void init() {
        f = std::make_unique<testing::FormFixture>();
        form = &f->create();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
    }
    void cleanup() { f.reset(); }

    void deleteAndDoubleClick_removeTheSelectedRow() {
        fill({"/a.eps", "/b.eps", "/c.eps"});
        select(2);
        QTest::keyClick(ui().ListView1, Qt::Key_Backspace);
        QCOMPARE(form->ItemCount(), 3); // other keys never remove
        QTest::keyClick(ui().ListView1, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(texts(), (QStringList{"/a.eps", "/c.eps"}));
        QTest::mouseClick(ui().ListView1->viewport(), Qt::LeftButton, {}, rowCentre(2));
        QTest::mouseDClick(ui().ListView1->viewport(), Qt::LeftButton, {}, rowCentre(2));
        QCOMPARE(texts(), (QStringList{"/a.eps"}));
    }

    void doubleClickOnEmptySpace_removesTheSelectedRow_andTheHintIsTheListTip() {
        fill({"/a.eps", "/b.eps"});
        select(2);
        const QPoint below = ui().ListView1->viewport()->rect().bottomLeft() + QPoint(5, -5);
        QVERIFY(!ui().ListView1->indexAt(below).isValid());
        QTest::mouseDClick(ui().ListView1->viewport(), Qt::LeftButton, {}, below);
        QCOMPARE(texts(), (QStringList{"/a.eps"}));
        QVERIFY(!ui().jobs.data(ui().jobs.index(0), Qt::ToolTipRole).isValid());
        QCOMPARE(ui().ListView1->toolTip(),
                 QStringLiteral("Drag and drop files here. Double-click item to remove it. Move | "
                                "line to right and out of window to reveal full names."));
    }

    void removal_doesNothingWhenEmptyBusyOrNothingSelected() {
        QTest::keyClick(ui().ListView1, Qt::Key_Delete); // empty list
        form->ListView1_RemoveSelected();
        QCOMPARE(form->ItemCount(), 0);

        fill({"/a.eps", "/b.eps"});
        ui().ListView1->selectionModel()->clearSelection();
        form->ListView1_RemoveSelected();
        QCOMPARE(form->ItemCount(), 2);

        select(1);
        form->setPointer(Form1::Pointer::Hourglass);
        form->ListView1_RemoveSelected();
        QTest::mouseClick(ui().PushButton6, Qt::LeftButton);
        QCOMPARE(form->ItemCount(), 2);

        form->setPointer(Form1::Pointer::Default);
        ui().Converting = true; // a run holds the list until its closing message is gone
        form->ListView1_RemoveSelected();
        form->PushButton6_Click();
        QCOMPARE(form->ItemCount(), 2);

        ui().Converting = false;
        form->ListView1_RemoveSelected();
        QCOMPARE(texts(), (QStringList{"/b.eps"}));
        QTest::mouseClick(ui().PushButton6, Qt::LeftButton);
        QCOMPARE(form->ItemCount(), 0);
        QVERIFY(f->fakes.dialogs.shown.isEmpty());
    }

    void dragging_swapsTheDraggedPathWithTheRowUnderThePointer() {
        fill({"A", "B", "C", "D"});
        QWidget* list = ui().ListView1->viewport();
        QTest::mousePress(list, Qt::LeftButton, {}, rowCentre(1));
        QTest::mouseMove(list, rowCentre(4)); // one move straight onto row 4
        QCOMPARE(texts(), (QStringList{"D", "B", "C", "A"}));
        QTest::mouseMove(list, rowCentre(3)); // the dragged path follows the pointer
        QCOMPARE(texts(), (QStringList{"D", "B", "A", "C"}));
        QTest::mouseRelease(list, Qt::LeftButton, {}, rowCentre(3));
        QTest::mouseMove(list, rowCentre(1)); // no button held: nothing moves
        QCOMPARE(texts(), (QStringList{"D", "B", "A", "C"}));
        QCOMPARE(ui().ListView1->currentIndex().row(), 2);
    }

    // A row dragged low on the screen brings the next row into view, one dragged high the one
    // before it; in between the list stays where it is.
    void dragging_nearTheScreensEdges_scrollsTheList() {
        QStringList rows;
        for (int k = 1; k <= 40; ++k)
            rows << QStringLiteral("row %1").arg(k);
        fill(rows);
        QWidget* list = ui().ListView1->viewport();
        QScrollBar* scroll = ui().ListView1->verticalScrollBar();
        const auto screenY = [&](int row) { return list->mapToGlobal(rowCentre(row)).y(); };
        // The list's rows from between the two heights down, then from above 305 up.
        const auto placeList = [&](int top) {
            form->move(form->x(), form->y() + top - list->mapToGlobal(QPoint(0, 0)).y());
        };
        placeList(315);
        QTRY_VERIFY(screenY(1) > 305 && screenY(1) < 364);
        QTest::mousePress(list, Qt::LeftButton, {}, rowCentre(1));
        QTest::mouseMove(list, rowCentre(2)); // between the edges: no scrolling
        QCOMPARE(scroll->value(), 0);
        const int low = ui().ListView1->indexAt(QPoint(5, list->height() - 8)).row() + 1;
        QVERIFY(screenY(low) > 364);
        QTest::mouseMove(list, rowCentre(low));
        QVERIFY(scroll->value() > 0); // the row after it shows whole
        QVERIFY(list->rect().contains(ui().ListView1->visualRect(ui().jobs.index(low))));
        QTest::mouseRelease(list, Qt::LeftButton, {}, rowCentre(low));

        placeList(300 - list->height());
        QTRY_VERIFY(screenY(low) < 305);
        const int top = scroll->value();
        const int first = ui().ListView1->indexAt(QPoint(5, 4)).row() + 1;
        QTest::mousePress(list, Qt::LeftButton, {}, rowCentre(first + 1));
        QTest::mouseMove(list, rowCentre(first));
        QVERIFY(scroll->value() < top);
        QTest::mouseRelease(list, Qt::LeftButton, {}, rowCentre(first));
    }

    void dragging_overIdenticalTextOrDuringARun_changesNothing() {
        fill({"same", "same", "other"});
        QWidget* list = ui().ListView1->viewport();
        QTest::mousePress(list, Qt::LeftButton, {}, rowCentre(1));
        QTest::mouseMove(list, rowCentre(2));
        QCOMPARE(ui().ListView1->currentIndex().row(), 0);
        ui().Converting = true;
        QTest::mouseMove(list, rowCentre(3));
        QCOMPARE(texts(), (QStringList{"same", "same", "other"}));
        ui().Converting = false;
        QTest::mouseRelease(list, Qt::LeftButton, {}, rowCentre(3));
    }

    void dragging_afterTheDraggedRowWasRemoved_doesNotFail() {
        fill({"A", "B", "C"});
        form->ListView1_MouseDown();
        form->ListView1_ItemClick(ui().jobs.index(2));
        ui().jobs.removeAt(2);
        form->ListView1_MouseMove(rowCentre(1), 400, true);
        QCOMPARE(texts(), (QStringList{"A", "B"}));
        form->ListView1_MouseUp();
    }

    void appendedRows_reachTheViewInBatches_butEveryReadSeesThem_withoutChangingIt() {
        fill({"A"});
        for (int i = 0; i < 1000; ++i)
            form->AddToList(QStringLiteral("row %1").arg(i));
        QCOMPARE(ui().jobs.rowCount(), 1); // the view has not been told yet
        QVERIFY(form->IsInList(QStringLiteral("row 999")));
        QCOMPARE(form->ItemText(1001), QStringLiteral("row 999"));
        QCOMPARE(form->ItemCount(), 1001);
        QCOMPARE(ui().jobs.rowCount(), 1); // reading changes nothing
        QTRY_COMPARE(ui().jobs.rowCount(),
                     1001); // announced by the event loop on its own
    }

    void isInList_isExact_andDuplicatesAreKept() {
        fill({"/Art/plan.eps", "/Art/plan.eps"});
        QCOMPARE(form->ItemCount(), 2);
        QVERIFY(form->IsInList("/Art/plan.eps"));
        QVERIFY(!form->IsInList("/art/plan.eps"));
        QVERIFY(!form->IsInList("/Art/plan.eps "));
        QVERIFY(!form->IsInList("/Art//plan.eps"));
        form->AddToList(QString());
        QVERIFY(form->IsInList(QString()));
    }
};

QTEST_MAIN(TestJobList)
#include "tst_joblist.moc"
