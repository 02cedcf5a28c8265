// The copy into the working folder: it never reads what is no regular file and never writes
// through a link.
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "scratchhome.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestFileSystem : public QObject {
    Q_OBJECT

private slots:
    void copy_refusesWhatIsNoRegularFile_withoutOpeningIt() {
        testing::ScratchHome scratch;
        const QString pipe = scratch.path() + QStringLiteral("/pipe.eps");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        ::alarm(10); // opening the pipe would wait for a writer for ever: end the test instead
        try {
            platform::CopyRegularFile(pipe, scratch.path() + QStringLiteral("/copy.eps"));
            QFAIL("a pipe was copied");
        } catch (const platform::Failure& failure) {
            QCOMPARE(failure.number, platform::errors::PathFileAccess);
            QCOMPARE(failure.description, QStringLiteral("it is a named pipe, not a regular file"));
        }
        ::alarm(0);
        QVERIFY(!QFileInfo::exists(scratch.path() + QStringLiteral("/copy.eps")));
    }

    void copy_replacesALinkAtTheTarget_itsTargetUntouched() {
        testing::ScratchHome scratch;
        const QString victim = scratch.path() + QStringLiteral("/notes.txt");
        const QString source = scratch.path() + QStringLiteral("/a.eps");
        const QString target = scratch.path() + QStringLiteral("/current.eps");
        testing::WriteFile(victim, "my notes");
        testing::WriteFile(source, "the drawing");
        QVERIFY(QFile::link(victim, target));
        platform::CopyRegularFile(source, target);
        QVERIFY(!QFileInfo(target).isSymLink());
        QFile copy(target), notes(victim);
        QVERIFY(copy.open(QIODevice::ReadOnly) && notes.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), QByteArray("the drawing"));
        QCOMPARE(notes.readAll(), QByteArray("my notes"));
    }
};

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
