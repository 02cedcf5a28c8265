// Pointer feedback: the hand over push buttons, the arrow elsewhere, and never over the busy
// pointer, which doubles as the window's "busy" flag.
#include "app/form1.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

void Form1::setPointer(Pointer value) {
    currentPointer = value;
    switch (value) {
    case Pointer::Default:
        setCursor(Qt::ArrowCursor);
        Text1->setCursor(Qt::IBeamCursor);
        break;
    case Pointer::Custom:
        setCursor(handCursor.value_or(QCursor(Qt::ArrowCursor)));
        Text1->setCursor(Qt::IBeamCursor);
        break;
    case Pointer::Hourglass:
        setCursor(Qt::WaitCursor);
        Text1->setCursor(Qt::WaitCursor);
        break;
    }
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    hover(this, event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

// A pointer move reaches the widget under the pointer and, when that one ignores it, its
// parents too; a rule applies only in the widget the pointer is really over.
void Form1::hover(QWidget* widget, const QPoint& position) {
    if (widget->childAt(position) != nullptr || isBusy())
        return;
    if (qobject_cast<QPushButton*>(widget)) {
        // A disabled button cannot be pressed, so it keeps the arrow.
        setPointer(widget->isEnabled() ? Pointer::Custom : Pointer::Default);
        return;
    }
    const bool arrowRule =
        widget == this || widget == ListView1 || widget == ListView1->header()->viewport() ||
        widget == Frame2 || widget == Frame3 || widget == Frame4 || widget == Label2 ||
        widget == Label3 || widget == Option1 || widget == Option2 || widget == Text1;
    if (arrowRule)
        setPointer(Pointer::Default);
}
