#include "intake/commandline.h"

#include "common/resolution.h"
#include "intake/addfolder.h"
#include "intake/dropintake.h"
#include "intake/window.h"
#include "platform/dialogs.h"
#include "platform/failure.h"
#include "platform/filesystem.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace commandline {

namespace {

// The absolute form of a path named on the command line. "." and ".." and doubled separators
// are folded away only when the folded path still leads to the same file: behind a linked
// folder "link/.." is not the folder holding the link.
QString AbsolutePath(const QString& given) {
    const QString absolute = QDir::current().absoluteFilePath(given);
    const QString clean = QDir::cleanPath(absolute);
    if (clean == absolute)
        return clean;
    const QFileInfo raw(absolute), folded(clean);
    if (raw.exists() != folded.exists() ||
        (raw.exists() && raw.canonicalFilePath() != folded.canonicalFilePath()))
        return absolute;
    return clean;
}

// The options that Qt's application object takes out of the arguments when it starts: its own,
// the widgets' and those of the X11 platform. Known here, they are no mistake when the command
// line is read before Qt starts, and help does not list them.
void AddQtOptions(QCommandLineParser& parser) {
    const QString withValue = QStringLiteral(
        "platform platformpluginpath platformtheme plugin qwindowgeometry geometry qwindowtitle "
        "title qwindowicon icon session style stylesheet qmljsdebugger display name visual");
    const QString switches = QStringLiteral("reverse widgetcount nograb dograb testability");
    auto add = [&parser](const QString& names, const QString& valueName) {
        for (const QString& name : names.split(QLatin1Char(' '))) {
            QCommandLineOption option(name, QString(), valueName);
            option.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(option);
        }
    };
    add(withValue, QStringLiteral("value"));
    add(switches, QString());
}

// The files and folders named, made absolute: to `paths`, or to `leftOut` when they are among
// `undecodable`.
void TakePaths(CommandLine& line, const QStringList& named, const QStringList& undecodable) {
    for (const QString& given : named) {
        if (given.isEmpty())
            continue;
        if (undecodable.contains(given))
            line.leftOut.append(QDir::current().absoluteFilePath(
                QString(given).replace(QChar(QChar::ReplacementCharacter), QLatin1Char('?'))));
        else
            line.paths.append(AbsolutePath(given));
    }
}

} // namespace

std::optional<int> GhostscriptsFromText(const QString& text) {
    bool number = false;
    const int count = text.trimmed().toInt(&number);
    if (!number || count < 1 || count > MostGhostscripts)
        return std::nullopt;
    return count;
}

CommandLine ParseCommandLine(const QStringList& arguments, const QStringList& undecodable) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Converts Encapsulated PostScript (EPS) files into PDF documents in batches.\n\n"
        "The files named are added to the job list; a folder adds the files of its whole\n"
        "tree that have the extension last entered for \"Add All EPS File(s) In Folder\"\n"
        "(eps at first). When a Pellarine window of the same user is open already, the\n"
        "files go to that window."));
    // Not addHelpOption(): its --help-all would promise Qt's own options, which this text,
    // printed before Qt is started, cannot list.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption resolution(
        QStringLiteral("resolution"),
        QStringLiteral("Draws the pictures at DPI dots per inch: %1 (72 at first). The choice is "
                       "kept, as one made in the menu of the \"PDF Quality\" slider.")
            .arg(resolution::InWords()),
        QStringLiteral("DPI"));
    parser.addOption(resolution);
    const QCommandLineOption jobs(
        QStringLiteral("jobs"),
        QStringLiteral("Lets at most N copies of Ghostscript draw at once (at first, one for each "
                       "processor the program may use). The choice is kept, as the \"Jobs\" "
                       "setting."),
        QStringLiteral("N"));
    parser.addOption(jobs);
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("EPS files and folders to add to the job list."),
                                 QStringLiteral("[file|folder...]"));
    // Qt's options are words after one dash ("-platform"), as are the program's own short ones.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    AddQtOptions(parser);
    const bool understood = parser.parse(arguments);

    CommandLine line;
    if (understood && parser.isSet(resolution))
        line.resolution = resolution::FromText(parser.value(resolution));
    if (understood && parser.isSet(jobs))
        line.ghostscripts = GhostscriptsFromText(parser.value(jobs));
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Print;
        line.text = parser.helpText();
    } else if (parser.isSet(version)) {
        line.action = CommandLine::Action::Print;
        line.text = QCoreApplication::applicationName() + QLatin1Char(' ') +
                    QCoreApplication::applicationVersion() + QLatin1Char('\n');
    } else if (!understood) {
        line.action = CommandLine::Action::Fail;
        line.text = parser.errorText() + QLatin1Char('\n');
    } else if (parser.isSet(resolution) && !line.resolution) {
        line.action = CommandLine::Action::Fail;
        line.text = QStringLiteral("The resolution must be %1 (dots per inch), not '%2'.\n")
                        .arg(resolution::InWords(), parser.value(resolution));
    } else if (parser.isSet(jobs) && !line.ghostscripts) {
        line.action = CommandLine::Action::Fail;
        line.text = QStringLiteral("The number of Ghostscripts at once must be a whole number from "
                                   "1 to %1, not '%2'.\n")
                        .arg(MostGhostscripts)
                        .arg(parser.value(jobs));
    } else {
        TakePaths(line, parser.positionalArguments(), undecodable);
    }
    return line;
}

QStringList RawArguments(int argc, char** argv, QStringList* undecodable) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QFile::decodeName(argv[i]));
        // Decoded, such bytes read as replacement characters, which name another file or none.
        if (undecodable && i > 0 && !platform::NameRoundTrips(argv[i]) &&
            platform::RawPathExists(argv[i]))
            undecodable->append(arguments.last());
    }
    return arguments;
}

void AddNamedFiles(const intake::Window& window, const QStringList& paths,
                   const QStringList& leftOut) {
    QStringList missing;
    QStringList unnamed = leftOut;
    window.busy(true);
    const std::optional<platform::Failure> failure = platform::Caught([&] {
        const QString pattern = AddFolder::PatternForExtension(window.extension.read());
        missing = dropintake::DropPaths(paths, window.scanReport, window.append, pattern, &unnamed);
    });
    window.busy(false);
    window.showAdded();
    QStringList parts;
    if (!missing.isEmpty())
        parts << (missing.size() == 1
                      ? QStringLiteral("This file or folder was not found and has not been added:")
                      : QStringLiteral("These files or folders were not found and have not been "
                                       "added:")) +
                     QStringLiteral("\r\r") + missing.join(QLatin1Char('\r'));
    if (!unnamed.isEmpty())
        parts << AddFolder::LeftOutMessage(unnamed);
    if (failure)
        parts << QStringLiteral("Not every file named could be added: ") + failure->description;
    if (!parts.isEmpty())
        window.dialogs.messageBox(window.owner, parts.join(QStringLiteral("\r\r")), window.title,
                                  platform::Buttons::Ok, platform::Icon::Warning);
}

} // namespace commandline
