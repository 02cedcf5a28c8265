#include "platform/qtservices.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTime>
#include <QUrl>
#include <QVBoxLayout>

namespace platform {

namespace {

// Message texts as a Qt label shows them: CR LF and lone CRs become LF.
QString VisibleLines(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// "Description|pattern|..." as the open dialog takes it, turned into Qt's "Description (pattern)".
QString QtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << (description.contains(QLatin1Char('(') + pattern + QLatin1Char(')'))
                        ? description
                        : description + QLatin1String(" (") + pattern + QLatin1Char(')'));
    }
    return entries.join(QLatin1String(";;"));
}

// How far the other message boxes indent their text.
constexpr int MessageIndent = 21;

// `text` as rich text for a label that never wraps by itself: its lines broken only at spaces
// where they are wider than `width` (so an address, which holds none, is never broken), and each
// of `addresses` a link.
QString LinkedText(const QString& text, const QStringList& addresses, const QFontMetrics& metrics,
                   int width) {
    QStringList lines;
    for (const QString& paragraph : VisibleLines(text).split(QLatin1Char('\n'))) {
        const QStringList words = paragraph.split(QLatin1Char(' '));
        QString line = words.first();
        for (const QString& word : words.mid(1)) {
            const QString longer = line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
                lines << line;
                line = word;
            } else
                line = longer;
        }
        lines << line;
    }
    QString html = lines.join(QLatin1Char('\n')).toHtmlEscaped();
    for (const QString& address : addresses) {
        const QString escaped = address.toHtmlEscaped();
        html.replace(escaped, QStringLiteral("<a href=\"%1\">%1</a>").arg(escaped));
    }
    return html.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

} // namespace

void QtDialogs::addressBox(QWidget* owner, const QString& text, const QString& caption,
                           const QStringList& addresses) {
    QDialog box(owner);
    box.setWindowTitle(caption);
    box.setWindowModality(Qt::ApplicationModal);
    auto* label = new QLabel(&box);
    // A line may take nine tenths of the screen, less the box's margins and frame.
    const QScreen* screen = owner ? owner->screen() : box.screen();
    const int width =
        screen ? screen->availableGeometry().width() * 9 / 10 - 60 - MessageIndent : 600;
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(false);
    label->setText(LinkedText(text, addresses, label->fontMetrics(), width));
    label->setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    label->setOpenExternalLinks(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    // The text indented as in the other message boxes, which keep room for an icon.
    label->setContentsMargins(MessageIndent, 0, 0, 0);
    auto* layout = new QVBoxLayout(&box);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(label);
    layout->addSpacing(12);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
    box.exec();
}

Answer QtDialogs::messageBox(QWidget* owner, const QString& text, const QString& caption,
                             Buttons buttons, Icon icon, const QString& details) {
    QMessageBox box(
        icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, caption,
        VisibleLines(text),
        buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    if (!details.isEmpty())
        box.setDetailedText(VisibleLines(details));
    box.setWindowModality(Qt::ApplicationModal);
    const int result = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

QString QtDialogs::inputBox(QWidget* owner, const QString& prompt, const QString& caption,
                            const QString& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(owner, caption, VisibleLines(prompt),
                                               QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

QStringList QtDialogs::openFiles(QWidget* owner, const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileNames(owner, title, QString(), QtFilter(filter));
}

QString QtDialogs::browseForFolder(QWidget* owner, const QString& title,
                                   const QString& startFolder) {
    return QFileDialog::getExistingDirectory(owner, title, startFolder, QFileDialog::ShowDirsOnly);
}

QString QtDialogs::saveFile(QWidget* owner, const QString& title, const QString& suggested) {
    return QFileDialog::getSaveFileName(owner, title, suggested,
                                        QStringLiteral("PDF files (*.pdf)"));
}

bool DesktopShell::open(const QString& target) {
    const bool isAddress =
        target.contains(QLatin1String("://")) || target.startsWith(QLatin1String("mailto:"));
    return QDesktopServices::openUrl(isAddress ? QUrl(target) : QUrl::fromLocalFile(target));
}

void TimeOfDayRandom::seedFromTimeOfDay() {
    engine.seed(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay() / 1000));
}

double TimeOfDayRandom::next() { return std::uniform_real_distribution<double>(0.0, 1.0)(engine); }

} // namespace platform
