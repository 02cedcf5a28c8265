// The copy into the working folder: it never reads what is no regular file and never writes
// through a link. Folder listings: names that are not valid UTF-8 are told apart.
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "platform/filewrite.h"
#include "scratchhome.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <fcntl.h>
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
            platform::OpenSourceFile(pipe);
            QFAIL("a pipe was copied");
        } catch (const platform::Failure& failure) {
            QCOMPARE(failure.number, platform::errors::PathFileAccess);
            QCOMPARE(failure.description, QStringLiteral("it is a named pipe, not a regular file"));
        }
        ::alarm(0);
    }

    void copy_replacesALinkAtTheTarget_itsTargetUntouched() {
        testing::ScratchHome scratch;
        const QString victim = scratch.path() + QStringLiteral("/notes.txt");
        const QString source = scratch.path() + QStringLiteral("/a.eps");
        const QString target = scratch.path() + QStringLiteral("/current.eps");
        testing::WriteFile(victim, "my notes");
        testing::WriteFile(source, "the drawing");
        QVERIFY(QFile::link(victim, target));
        platform::CopyOpenedFile(platform::OpenSourceFile(source).file, target);
        QVERIFY(!QFileInfo(target).isSymLink());
        QFile copy(target), notes(victim);
        QVERIFY(copy.open(QIODevice::ReadOnly) && notes.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), QByteArray("the drawing"));
        QCOMPARE(notes.readAll(), QByteArray("my notes"));
    }

    // Only names that give back their own bytes are listed (U+FFFD written out is such a name);
    // the others are handed back apart, read with "?".
    void listings_leaveOutNamesThatAreNotValidUtf8() {
        testing::ScratchHome scratch;
        const QByteArray bytes = QFile::encodeName(scratch.path()) + '/';
        QVERIFY(::close(::creat(bytes + "\xef\xbf\xbd.eps", 0644)) == 0);
        QVERIFY(::close(::creat(bytes + "u-\xff.eps", 0644)) == 0 &&
                ::mkdir(bytes + "d-\xff", 0755) == 0);
        QList<platform::FolderEntry> leftOut;
        const auto entries =
            platform::ListFolder(scratch.path(), platform::Wildcard("*.eps"), {}, &leftOut);
        QStringList leftOutFolders;
        const QStringList folders = platform::ReadSubFolders(scratch.path(), &leftOutFolders);
        ::unlink(bytes + "u-\xff.eps"); // beyond what QTemporaryDir can name
        ::rmdir(bytes + "d-\xff");
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries[0].name, QString(QChar::ReplacementCharacter) + ".eps");
        QCOMPARE(leftOut.size(), 1);
        QCOMPARE(leftOut[0].name, QStringLiteral("u-?.eps"));
        QVERIFY(!folders.contains("d-?") && leftOutFolders == QStringList{"d-?"});
    }
};

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
