// The copy into the working folder: it never reads what is no regular file and never writes
// through a link. Folder listings: names that are not valid UTF-8 are told apart.
#include "platform/failure.h"
#include "platform/filesystem.h"
#include "scratchhome.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
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

    // Only names that give back their own bytes are listed; the others are handed back apart.
    void listings_leaveOutNamesThatAreNotValidUtf8() {
        testing::ScratchHome scratch;
        const QString folder = scratch.makeFolder(QStringLiteral("names"));
        const QByteArray bytes = QFile::encodeName(folder) + '/';
        const QList<QByteArray> files{"plain.eps", "caf\xc3\xa9.eps", "\xef\xbf\xbd.eps",
                                      "u-\xff.eps", "caf\xe9.eps"};
        for (const QByteArray& name : files) {
            const int fd = ::open((bytes + name).constData(), O_CREAT | O_WRONLY, 0644);
            QVERIFY(fd >= 0 && ::close(fd) == 0);
        }
        QCOMPARE(::mkdir((bytes + "sub").constData(), 0755), 0);
        QCOMPARE(::mkdir((bytes + "d-\xff").constData(), 0755), 0);
        QList<platform::FolderEntry> leftOut;
        const auto entries =
            platform::ListFolder(folder + '/', platform::Wildcard("*"), {}, &leftOut);
        QStringList leftOutFolders;
        const QStringList folders = platform::ReadSubFolders(folder, &leftOutFolders);
        for (const QByteArray& name : files)
            ::unlink((bytes + name).constData()); // beyond what QTemporaryDir can name
        ::rmdir((bytes + "d-\xff").constData());
        QSet<QString> names, leftOutNames;
        for (const auto& entry : entries)
            names << entry.name;
        for (const auto& entry : leftOut)
            leftOutNames << (entry.regularFile ? entry.name : QString());
        QCOMPARE(names, (QSet<QString>{"plain.eps", QString::fromUtf8("caf\xc3\xa9.eps"),
                                       QString(QChar::ReplacementCharacter) + ".eps"}));
        QCOMPARE(leftOutNames, (QSet<QString>{"u-?.eps", "caf?.eps"}));
        QCOMPARE(folders, QStringList{"sub"});
        QCOMPARE(leftOutFolders, QStringList{"d-?"});
        QVERIFY(platform::RawPathExists(bytes + "sub") &&
                !platform::RawPathExists(bytes + "d-\xff"));
    }
};

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_filesystem.moc"
