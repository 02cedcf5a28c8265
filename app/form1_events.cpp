// Routing of the window's events: the job list's mouse, key, drag and drop events to its
// handlers, Escape during a run, Return on a push button, and pointer moves over the controls
// to the hover rules.
#include "app/form1.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>

void Form1::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && Converting) {
        Form_EscapePressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool Form1::keyPressed(QWidget* widget, const QKeyEvent& key) {
    if (key.key() == Qt::Key_Escape && Converting) {
        Form_EscapePressed();
        return true;
    }
    auto* button = qobject_cast<QPushButton*>(widget);
    if (button && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) {
        if (!key.isAutoRepeat())
            button->click();
        return true;
    }
    if (widget == ListView1 && key.key() == Qt::Key_Delete) {
        ListView1_RemoveSelected();
        return true;
    }
    return false;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return QWidget::eventFilter(watched, event);

    const bool dragAndDrop = event->type() == QEvent::DragEnter ||
                             event->type() == QEvent::DragMove || event->type() == QEvent::Drop;
    // Over the rows, the column header or the list's edge a drag is the same.
    if (dragAndDrop && (widget == ListView1->viewport() ||
                        widget == ListView1->header()->viewport() || widget == ListView1)) {
        listDragAndDrop(*static_cast<QDropEvent*>(event));
        return true;
    }
    if (widget == ListView1->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: ListView1_MouseDown(); break;
        case QEvent::MouseMove: {
            auto* move = static_cast<QMouseEvent*>(event);
            const bool buttonHeld = move->buttons() != Qt::NoButton;
            ListView1_MouseMove(move->position().toPoint(),
                                static_cast<int>(move->globalPosition().y()), buttonHeld);
            // A held button moves the dragged path, not the list's own selection.
            if (buttonHeld)
                return true;
            break;
        }
        case QEvent::MouseButtonRelease: ListView1_MouseUp(); break;
        case QEvent::MouseButtonDblClick: // anywhere in the list, over a row or not
            ListView1_RemoveSelected();
            return true;
        default: break;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress && keyPressed(widget, *static_cast<QKeyEvent*>(event)))
        return true;
    if (event->type() == QEvent::MouseMove)
        hover(widget, static_cast<QMouseEvent*>(event)->position().toPoint());
    return QWidget::eventFilter(watched, event);
}
