// Loaded into the installed program by tst_install (LD_PRELOAD), so that the test can watch the
// real program without any hook in it. It appends to the file named by PELLARINE_PROBE one line
// whenever the job list changes ("rows", then the rows) and one for every message box
// ("message", then its text), answers each box with its escape button (OK, or No), and presses
// the push button whose caption the test writes into the file named by PELLARINE_PROBE".press".
#include <QAbstractItemModel>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

namespace {

void Report(const QStringList& fields) {
    QFile report(qEnvironmentVariable("PELLARINE_PROBE"));
    if (report.open(QIODevice::Append))
        report.write(fields.join(QLatin1Char('\t')).toUtf8() + '\n');
}

void Watch() {
    static QString lastRows;
    // A fresh timer each round: a repeating one would not fire again inside the event loops
    // that a message box or the conversion runs while the previous round is still on the stack.
    QTimer::singleShot(50, Watch);
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        Report(
            {QStringLiteral("message"), box->text().replace(QLatin1Char('\n'), QLatin1Char(' '))});
        box->reject();
    }
    for (QWidget* widget : QApplication::allWidgets()) {
        const auto* list = qobject_cast<QTreeView*>(widget);
        if (!list || !list->model())
            continue;
        QStringList rows{QStringLiteral("rows")};
        for (int row = 0; row < list->model()->rowCount(); ++row)
            rows << list->model()->index(row, 0).data().toString();
        if (rows.join(QLatin1Char('\t')) != lastRows) {
            lastRows = rows.join(QLatin1Char('\t'));
            Report(rows);
        }
    }
    QFile press(qEnvironmentVariable("PELLARINE_PROBE") + QStringLiteral(".press"));
    if (!press.open(QIODevice::ReadOnly))
        return;
    const QString caption = QString::fromUtf8(press.readAll()).trimmed();
    press.remove();
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* button = qobject_cast<QPushButton*>(widget); button && button->text() == caption)
            QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
}

void Start() {
    qunsetenv("LD_PRELOAD"); // the programs this one starts are not watched
    QTimer::singleShot(50, Watch);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(Start)
