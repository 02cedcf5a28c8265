#include "common/paths.h"
#include "platform/failure.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using paths::Flavour;
Q_DECLARE_METATYPE(paths::Flavour)

namespace {

// The Windows-style cases are written with "\"; the same case for POSIX swaps in "/".
QString InFlavour(const char* windowsText, Flavour flavour) {
    QString text = QString::fromUtf8(windowsText);
    return flavour == Flavour::Windows ? text : text.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

void AddBothFlavours(const char* name, const char* input, const char* expected) {
    QTest::addRow("win %s", name) << Flavour::Windows << InFlavour(input, Flavour::Windows)
                                  << InFlavour(expected, Flavour::Windows);
    QTest::addRow("posix %s", name) << Flavour::Posix << InFlavour(input, Flavour::Posix)
                                    << InFlavour(expected, Flavour::Posix);
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestPaths : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void getFolderPart_data() {
        QTest::addColumn<Flavour>("flavour");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        AddBothFlavours("file in folder", "C:\\a\\b.eps", "C:\\a\\");
        AddBothFlavours("bare name", "b.eps", "");
        AddBothFlavours("root", "C:\\", "C:\\");
        AddBothFlavours("empty", "", "");
        // The other flavour's separator is an ordinary character.
        QTest::addRow("posix ignores backslash") << Flavour::Posix << "/a/b\\c"
                                                 << "/a/";
    }
    void getFolderPart() {
        QFETCH(Flavour, flavour);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(paths::GetFolderPart(path, flavour), expected);
    }

    void getFolderPart_separatorBeyond32767_overflows() {
        const QString fits = QString(32766, QLatin1Char('x')) + QLatin1Char('/') + "tail";
        QCOMPARE(paths::GetFolderPart(fits).size(), 32767);
        const QString beyond = QString(32767, QLatin1Char('x')) + QLatin1Char('/');
        try {
            paths::GetFolderPart(beyond);
            QFAIL("no overflow raised");
        } catch (const platform::Failure& failure) {
            QCOMPARE(failure.number, 6);
            QCOMPARE(failure.description, QStringLiteral("Overflow"));
        }
        // The name part has no such limit.
        QCOMPARE(paths::GetFileNamePart(beyond + "n"), QStringLiteral("n"));
    }

    void getFileNamePart_data() {
        QTest::addColumn<Flavour>("flavour");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        AddBothFlavours("file in folder", "C:\\a\\b.eps", "b.eps");
        AddBothFlavours("bare name", "b.eps", "b.eps");
        AddBothFlavours("trailing separator", "C:\\a\\", "");
    }
    void getFileNamePart() {
        QFETCH(Flavour, flavour);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(paths::GetFileNamePart(path, flavour), expected);
    }

    void fixPathBackslashes_data() {
        QTest::addColumn<Flavour>("flavour");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        AddBothFlavours("double", "C:\\a\\\\b.pdf", "C:\\a\\b.pdf");
        AddBothFlavours("triple becomes two", "C:\\a\\\\\\b", "C:\\a\\\\b");
        AddBothFlavours("quadruple becomes two", "a\\\\\\\\b", "a\\\\b");
        AddBothFlavours("empty", "", "");
        AddBothFlavours("none doubled", "a\\b", "a\\b");
        // A leading run: a network path on Windows (two), the root on POSIX (one).
        QTest::addRow("win network") << Flavour::Windows << "\\\\srv\\share\\\\x"
                                     << "\\\\srv\\share\\x";
        QTest::addRow("win single lead") << Flavour::Windows << "\\x\\\\y"
                                         << "\\\\x\\y";
        QTest::addRow("win triple lead") << Flavour::Windows << "\\\\\\srv\\x"
                                         << "\\\\srv\\x";
        QTest::addRow("win only separators") << Flavour::Windows << "\\\\\\\\"
                                             << "\\\\";
        QTest::addRow("posix doubled lead") << Flavour::Posix << "//srv/share//x"
                                            << "/srv/share/x";
        QTest::addRow("posix single lead") << Flavour::Posix << "/x//y"
                                           << "/x/y";
        QTest::addRow("posix long lead") << Flavour::Posix << "////a///b"
                                         << "/a//b";
        QTest::addRow("posix only separators") << Flavour::Posix << "///"
                                               << "/";
        QTest::addRow("posix root entry") << Flavour::Posix << "//usr/x"
                                          << "/usr/x";
    }
    void fixPathBackslashes() {
        QFETCH(Flavour, flavour);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(paths::FixPathSeparators(path, flavour), expected);
    }

    void folderExists_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("expected");
        QTest::newRow("folder") << "sub" << true;
        QTest::newRow("folder with trailing separator") << "sub/" << true;
        QTest::newRow("file") << "file.txt" << false;
        QTest::newRow("missing") << "nothing" << false;
        QTest::newRow("link to folder") << "link" << true;
    }
    void folderExists() {
        QFETCH(QString, relative);
        QFETCH(bool, expected);
        QDir(dir.path()).mkpath("sub");
        paths::WriteTextFile(dir.filePath("file.txt"), "x");
        QFile::link(dir.filePath("sub"), dir.filePath("link"));
        QCOMPARE(paths::FolderExists(dir.path() + "/" + relative), expected);
    }

    void folderExists_emptyOrMalformed_isFalse() {
        QVERIFY(!paths::FolderExists(QString()));
        QVERIFY(!paths::FolderExists(dir.path() + QChar(0) + "x"));
    }

    void writeTextFile_replacesLongerFile_withExactUtf8Bytes() {
        const QString path = dir.filePath("batch.bat");
        paths::WriteTextFile(path, QStringLiteral("a much longer text than the next one\r\n"));
        paths::WriteTextFile(path, QStringLiteral("Grüße"));
        QCOMPARE(Contents(path), QByteArray("Gr\xc3\xbc\xc3\x9f"
                                            "e"));
    }

    void writeTextFile_failures_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("number");
        QTest::newRow("missing folder") << "missing/x.txt" << 76;
        QTest::newRow("file as folder") << "file.txt/x.txt" << 76;
        QTest::newRow("disk full") << "/dev/full" << 61;
        QTest::newRow("a folder") << "sub" << 75;
    }
    void writeTextFile_failures() {
        QFETCH(QString, path);
        QFETCH(int, number);
        if (path == QLatin1String("/dev/full") && !QFile::exists(path))
            QSKIP("this system has no /dev/full");
        QDir(dir.path()).mkpath("sub");
        paths::WriteTextFile(dir.filePath("file.txt"), "x");
        try {
            paths::WriteTextFile(path.startsWith('/') ? path : dir.filePath(path), "text");
            QFAIL("the failure was reported as success");
        } catch (const platform::Failure& failure) {
            QCOMPARE(failure.number, number);
        }
    }

    void deleteFileQuiet_removesReadOnlyFile_andIgnoresMissingOne() {
        const QString path = dir.filePath("locked.pdf");
        paths::WriteTextFile(path, "x");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        paths::DeleteFileQuiet(path);
        QVERIFY(!QFile::exists(path));
        paths::DeleteFileQuiet(path); // nothing to delete, nothing reported
        paths::DeleteFileQuiet(QString());
    }

    void deleteFileForced_removesReadOnlyFile_andRaisesWhenMissing() {
        const QString path = dir.filePath("locked.jpg");
        paths::WriteTextFile(path, "x");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        paths::DeleteFileForced(path);
        QVERIFY(!QFile::exists(path));
        try {
            paths::DeleteFileForced(path);
            QFAIL("deleting a missing file succeeded");
        } catch (const platform::Failure& failure) {
            QCOMPARE(failure.number, 53);
        }
    }
};

QTEST_GUILESS_MAIN(TestPaths)
#include "tst_paths.moc"
