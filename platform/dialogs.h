#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

enum class Buttons { Ok, YesNo };
enum class Icon { None, Warning };
enum class Answer { Ok, Yes, No };

// Every modal dialog the program shows goes through this service, so that tests can script
// the answers and see what was shown. Texts arrive exactly as the program words them
// (line breaks as CR LF or lone CR); the Qt implementation turns them into visible lines.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // `details`, when given, is text the user can unfold below the message, read and copy.
    virtual Answer messageBox(QWidget* owner, const QString& text, const QString& caption,
                              Buttons buttons, Icon icon, const QString& details = {}) = 0;

    // A message box with an OK button only and no icon, in which each of `addresses` found in
    // `text` is a link the user can select, copy and open, never broken across lines. A service
    // without such a box shows a plain one.
    virtual void addressBox(QWidget* owner, const QString& text, const QString& caption,
                            const QStringList& addresses) {
        (void)addresses;
        messageBox(owner, text, caption, Buttons::Ok, Icon::None);
    }

    // A one-line text prompt. Returns the empty text when cancelled.
    virtual QString inputBox(QWidget* owner, const QString& prompt, const QString& caption,
                             const QString& defaultText) = 0;

    // A multi-select open-file dialog. Returns the chosen files as full paths in the dialog's
    // order, or an empty list when cancelled.
    virtual QStringList openFiles(QWidget* owner, const QString& title, const QString& filter) = 0;

    // A folder chooser opening at `startFolder` (when it names a folder). Returns the chosen
    // folder without a trailing separator (the root keeps its own), or the empty text.
    virtual QString browseForFolder(QWidget* owner, const QString& title,
                                    const QString& startFolder) = 0;

    // A save-file dialog proposing `suggested`. Returns the chosen full path, or the empty
    // text when cancelled (also what a service without such a dialog answers).
    virtual QString saveFile(QWidget* owner, const QString& title, const QString& suggested) {
        (void)owner, (void)title, (void)suggested;
        return {};
    }
};

} // namespace platform
