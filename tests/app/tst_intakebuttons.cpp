// The folder scan button, the samples button and drops on the job list, through the window.
#include "app/settings.h"
#include "formfixture.h"

#include <QDir>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QSysInfo>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using testing::ControlsOf;
using testing::StoredSetting;
using testing::WriteFile;

class TestIntakeButtons : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::FormFixture> f;

    QStringList listed() const { return testing::ListedPaths(*f->form); }
    QStringList shippedSamples() const {
        const QString folder = QStringLiteral(PELLARINE_APP_FOLDER "/Samples");
        QStringList paths;
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
            paths << folder + QLatin1Char('/') + name;
        return paths;
    }
    // Sends the events a file manager's drop produces over the list's rows (or `target`);
    // answers the action the drop was taken with, IgnoreAction when refused.
    Qt::DropAction drop(QMimeData* data, QWidget* target = nullptr,
                        Qt::DropActions offered = Qt::CopyAction, Qt::KeyboardModifiers keys = {}) {
        target = target ? target : ControlsOf(*f->form).ListView1->viewport();
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, offered, data, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, offered, data, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(target, &move);
        if (!move.isAccepted())
            return Qt::IgnoreAction;
        QDropEvent dropped(QPointF(at), offered, data, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(target, &dropped);
        return dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
    }

private slots:
    void init() {
        f = std::make_unique<testing::FormFixture>();
        f->create().show();
    }
    void cleanup() { f.reset(); }

    void addAll_scansTheChosenTree_andRemembersExtensionAndFolder() {
        const QString root = f->home.makeFolder(QStringLiteral("tree"));
        WriteFile(root + QStringLiteral("/top.EPS"));
        WriteFile(root + QStringLiteral("/notes.txt"));
        WriteFile(root + QStringLiteral("/A/a.eps"));
        WriteFile(root + QStringLiteral("/A/~a.eps"));
        WriteFile(root + QStringLiteral("/A/.hidden.eps"));
        WriteFile(root + QStringLiteral("/A/A1/deep.eps"));
        WriteFile(root + QStringLiteral("/B/b.eps"));
        f->fakes.dialogs.inputs.enqueue(QStringLiteral("eps"));
        f->fakes.dialogs.folders.enqueue(root);
        // The first event the scan serves sees the busy pointer.
        Form1::Pointer during = Form1::Pointer::Default;
        QTimer::singleShot(0, f->form.get(), [&] { during = f->form->pointer(); });
        QTest::mouseClick(ControlsOf(*f->form).PushButton3, Qt::LeftButton);
        QCOMPARE(during, Form1::Pointer::Hourglass);

        QStringList got = listed();
        // Files of a folder come in name order; folders breadth-first.
        QCOMPARE(got.first(), root + QStringLiteral("/top.EPS"));
        QCOMPARE(got.size(), 4);
        QStringList firstLevel = got.mid(1, 2);
        firstLevel.sort();
        QCOMPARE(firstLevel, (QStringList{root + QStringLiteral("/A/a.eps"),
                                          root + QStringLiteral("/B/b.eps")}));
        QCOMPARE(got.last(), root + QStringLiteral("/A/A1/deep.eps"));
        QCOMPARE(StoredSetting(settings::Extension), QStringLiteral("eps"));
        QCOMPARE(StoredSetting(settings::LastFolder), root);
        QCOMPARE(f->form->pointer(), Form1::Pointer::Default);

        const auto& prompt = f->fakes.dialogs.shown[0];
        QCOMPARE(prompt.kind, QStringLiteral("input"));
        QCOMPARE(prompt.text,
                 QStringLiteral("Enter file extension to load:\r\r(* for all files, "
                                "txt for all txt files, doc for all doc files, etc.)"));
        QCOMPARE(prompt.caption, QStringLiteral("Pellarine"));
        QCOMPARE(prompt.defaultText, QStringLiteral("eps"));
        QCOMPARE(f->fakes.dialogs.shown[1].text, QStringLiteral("Please select folder:"));

        // The second time the prompt proposes the last answer and the chooser opens there.
        f->fakes.dialogs.inputs.enqueue(QStringLiteral("*"));
        f->fakes.dialogs.folders.enqueue(root + QStringLiteral("/B"));
        f->form->PushButton3_Click();
        QCOMPARE(f->fakes.dialogs.shown[2].defaultText, QStringLiteral("eps"));
        QCOMPARE(f->fakes.dialogs.shown[3].caption, root);
        QCOMPARE(listed().mid(4), QStringList{root + QStringLiteral("/B/b.eps")});
    }

    void addAll_cancelledPrompt_storesNothing_cancelledChooser_keepsTheExtension() {
        f->form->PushButton3_Click();
        QVERIFY(!StoredSetting(settings::Extension));
        QCOMPARE(f->fakes.dialogs.count(QStringLiteral("folder")), 0);

        f->fakes.dialogs.inputs.enqueue(QStringLiteral("ai"));
        f->form->PushButton3_Click();
        QCOMPARE(StoredSetting(settings::Extension), QStringLiteral("ai"));
        QCOMPARE(f->fakes.dialogs.count(QStringLiteral("folder")), 1);
        QVERIFY(!StoredSetting(settings::LastFolder));
        QCOMPARE(f->form->ItemCount(), 0);
        QCOMPARE(f->form->pointer(), Form1::Pointer::Default);
        QCOMPARE(f->fakes.dialogs.count(QStringLiteral("message")), 0);
    }

    void samples_appendOnlyWhatIsNotListed_andAskEveryTime() {
        const QStringList samples = shippedSamples();
        QVERIFY(samples.size() >= 6);
        f->form->PushButton7_Click();
        QCOMPARE(listed(), samples); // in name order, as the shipped names sort plainly

        f->form->PushButton7_Click(); // nothing new
        QCOMPARE(f->form->ItemCount(), samples.size());

        const QString removed = f->form->ItemText(1);
        ControlsOf(*f->form).jobs.removeAt(0);
        f->form->AddToList(removed.toUpper()); // a differently cased path is no match
        f->fakes.dialogs.answers.enqueue(platform::Answer::Yes);
        f->form->PushButton7_Click();
        QCOMPARE(f->form->ItemText(f->form->ItemCount()), removed); // back, at the end
        QCOMPARE(f->form->ItemCount(), samples.size() + 1);

        QCOMPARE(f->fakes.dialogs.count(QStringLiteral("message")), 3);
        const auto& question = f->fakes.dialogs.shown.last();
        QCOMPARE(question.buttons, platform::Buttons::YesNo);
        QCOMPARE(question.icon, platform::Icon::None);
        QCOMPARE(question.caption, QStringLiteral("Pellarine"));
        QCOMPARE(question.text,
                 QStringLiteral("Would you like this software to open the folder where these "
                                "sample files are stored (so that you can view them before "
                                "working with them)?"));
        QCOMPARE(f->fakes.shell.opened,
                 QStringList{QStringLiteral(PELLARINE_APP_FOLDER "/Samples/")});
        f->form->PushButton6_Click(); // Clear List: every sample can be listed again
        f->form->PushButton7_Click();
        QCOMPARE(listed(), samples);
    }

    void drop_appendsFilesUnchanged_andScansFolders_inDropOrder() {
        const QString root = f->home.makeFolder(QStringLiteral("drop"));
        WriteFile(root + QStringLiteral("/~draft.pdf"));
        WriteFile(root + QStringLiteral("/notes.txt"));
        WriteFile(root + QStringLiteral("/Folder/one.eps"));
        WriteFile(root + QStringLiteral("/Folder/~skip.eps"));
        WriteFile(root + QStringLiteral("/Folder/Sub/two.ai"));
        QUrl localhost = QUrl::fromLocalFile(root + "/Folder"), named = localhost;
        localhost.setHost("localhost");
        named.setPath(root + "/notes.txt");
        named.setHost(QSysInfo::machineHostName());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(root + "/~draft.pdf"), localhost,
                      QUrl::fromLocalFile(root + "/gone.eps"), QUrl("file://far.example/x"),
                      named});
        // Offered as copy or move, with the move proposed (Shift), dropped on the header.
        QCOMPARE(drop(&data, ControlsOf(*f->form).ListView1->header()->viewport(),
                      Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier),
                 Qt::CopyAction);
        QCOMPARE(f->form->ItemCount(), 0); // the scan waits until the drop event is over
        QTRY_COMPARE(listed(), (QStringList{root + "/~draft.pdf", root + "/Folder/one.eps",
                                            root + "/Folder/Sub/two.ai", root + "/notes.txt"}));
        QCOMPARE(f->fakes.dialogs.messages(),
                 QStringList{"These dropped items could not be added:\r\nfile://far.example/x\r\n" +
                             root + "/gone.eps"});
        QCOMPARE(drop(&data, nullptr, Qt::MoveAction), Qt::IgnoreAction); // no copy offered
    }

    // Each scan (Add All, a drop, the files of the command line) tells in one message what it
    // left out for names that are not valid UTF-8, with the command line's own such files.
    void undecodableNames_areToldOnceForEachScan() {
        const QString root = f->home.makeFolder(QStringLiteral("names"));
        const QByteArray bytes = QFile::encodeName(root);
        QVERIFY(::close(::creat(bytes + "/u-\xff.eps", 0644)) == 0);
        QVERIFY(::mkdir(bytes + "/d-\xfd", 0755) == 0);
        f->fakes.dialogs.inputs.enqueue(QStringLiteral("eps"));
        f->fakes.dialogs.folders.enqueue(root);
        f->form->PushButton3_Click();
        QMimeData data; // the folder, and the file itself by its bytes
        data.setUrls(
            {QUrl::fromLocalFile(root), QUrl::fromLocalFile(root).toString() + "/u-%FF.eps"});
        drop(&data);
        QTRY_COMPARE(f->fakes.dialogs.count(QStringLiteral("message")), 2);
        f->form->OpenFiles({root}, {QStringLiteral("/named/w-?.eps")});
        ::unlink(bytes + "/u-\xff.eps"); // beyond what QTemporaryDir can name
        ::rmdir(bytes + "/d-\xfd");
        const QString told = QStringLiteral("These files or folders were left out, because their "
                                            "names are not valid in the system's encoding:\r\n");
        const QString scan = root + "/d-?/\r\n" + root + "/u-?.eps";
        QCOMPARE(f->fakes.dialogs.messages(),
                 (QStringList{told + scan, told + root + "/u-?.eps\r\n" + scan,
                              told + "/named/w-?.eps\r\n" + scan}));
    }

    void dragWithoutFiles_isRefused() {
        QMimeData text;
        text.setText(QStringLiteral("/etc/passwd"));
        QCOMPARE(drop(&text), Qt::IgnoreAction);
        QMimeData web;
        web.setUrls({QUrl(QStringLiteral("https://www.marrowind.example/a.eps"))});
        QCOMPARE(drop(&web), Qt::IgnoreAction);
        QCOMPARE(f->form->ItemCount(), 0);
    }
};

QTEST_MAIN(TestIntakeButtons)
#include "tst_intakebuttons.moc"
