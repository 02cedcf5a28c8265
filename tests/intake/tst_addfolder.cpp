#include "app/errorbox.h"
#include "fakes.h"
#include "intake/addfolder.h"
#include "platform/filesystem.h"
#include "scratchhome.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Counts how often the scan lets the event loop run, and can act at a given count, as a user
// or another program might while the scan waits.
class YieldWatcher : public QObject {
public:
    int count = 0;
    std::function<void(int)> onYield;
    YieldWatcher() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }

protected:
    void customEvent(QEvent*) override {
        ++count;
        if (onYield)
            onYield(count);
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }
};

// Runs `work` without root's power to ignore permissions, when the test runs as root.
// Returns false when that is impossible here.
bool WithoutRootPowers(const std::function<void()>& work) {
    if (::geteuid() != 0) {
        work();
        return true;
    }
    if (::seteuid(65534) != 0)
        return false;
    work();
    return ::seteuid(0) == 0;
}

QSet<QString> AsSet(const QStringList& list) { return QSet<QString>(list.begin(), list.end()); }

} // namespace

class TestAddFolder : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ScratchHome> scratch;
    testing::FakeDialogs dialogs;
    const errorreport::Report report =
        errorreport::Showing(dialogs, nullptr, errorreport::labels::GetSubDirectories2016);
    QString root; // the chosen folder, without a trailing separator

    void file(const QString& relative) { testing::WriteFile(root + "/" + relative); }
    void folder(const QString& relative) { QDir().mkpath(root + "/" + relative); }

    AddFolder::SubFolderCollection scan(bool recursive = true) {
        AddFolder::SubFolderCollection folders = AddFolder::NewCollection(root);
        AddFolder::GetSubDirectories2016(folders, recursive, report);
        return folders;
    }
    QStringList filesOfTree(const QString& pattern, QStringList* leftOut = nullptr) {
        QStringList found;
        AddFolder::AppendFilesOfTree(
            root, pattern, report, [&](const QString& path) { found << path; }, leftOut);
        return found;
    }
    QString entry(const QString& relative = {}) {
        return relative.isEmpty() ? root + "/" : root + "/" + relative + "/";
    }

private slots:
    void init() {
        scratch = std::make_unique<testing::ScratchHome>();
        dialogs.shown.clear();
        root = scratch->makeFolder("chosen");
    }
    void cleanup() { scratch.reset(); }

    void hasBadChars_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("bad");
        QTest::newRow("plain") << "Projects 2021" << false;
        QTest::newRow("question mark") << "what?" << true;
        QTest::newRow("control character") << "a\x01"
                                              "b"
                                           << true;
        QTest::newRow("tab") << "a\tb" << true;
        QTest::newRow("last control character, 31") << "a\x1f" << true;
        QTest::newRow("blank, 32") << "a b" << false;
        QTest::newRow("delete") << "a\x7f" << true;
        QTest::newRow("C1 control 159") << QString("a") + QChar(0x9f) << true;
        QTest::newRow("no-break space 160") << QString("a") + QChar(0xa0) << false;
        QTest::newRow("accented") << QString::fromUtf8("Grüße") << false;
        QTest::newRow("beyond 16 bits") << QString::fromUtf8("art \xF0\x9F\x8E\xA8") << false;
        QTest::newRow("lone surrogate") << QString("a") + QChar(0xd800) << true;
        QTest::newRow("undecodable bytes")
            << platform::DecodeFileName(QByteArray("caf\xe9")) << true;
    }
    void hasBadChars() {
        QFETCH(QString, name);
        QFETCH(bool, bad);
        QCOMPARE(AddFolder::HasBadChars(name), bad);
    }

    void wildcardMatch_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("extension") << "plan.eps"
                                   << "*.eps" << true;
        QTest::newRow("capital name") << "PLAN.EPS"
                                      << "*.eps" << true;
        QTest::newRow("accented case")
            << QString::fromUtf8("Ärger.eps") << QString::fromUtf8("ä*") << true;
        QTest::newRow("longer extension") << "plan.epsx"
                                          << "*.eps" << false;
        QTest::newRow("all with dot") << "plan.eps"
                                      << "*.*" << true;
        QTest::newRow("all without dot") << "README"
                                         << "*.*" << true;
        QTest::newRow("prefix any extension") << "README"
                                              << "READ*.*" << true;
        QTest::newRow("one character") << "a.eps"
                                       << "?.eps" << true;
        QTest::newRow("one character only") << "ab.eps"
                                            << "?.eps" << false;
        QTest::newRow("two dots") << "a..eps"
                                  << "*..eps" << true;
        QTest::newRow("star in middle") << "a-b-c.txt"
                                        << "a*c.*" << true;
    }
    void wildcardMatch() {
        QFETCH(QString, name);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(platform::Wildcard(pattern).matches(name), matches);
    }

    void getFilesInFolder_listsFilesOnly_withAnyTrailingSeparator() {
        file("a.eps");
        file(".hidden.eps");
        folder("folder.eps");
        QFile::link(root + "/folder.eps", root + "/link.eps");
        QFile::link(root + "/gone.eps", root + "/dangling.eps");
        const QSet<QString> expected{"a.eps", ".hidden.eps"};
        QCOMPARE(AsSet(AddFolder::GetFilesInFolder(root, "*.eps")), expected);
        QCOMPARE(AsSet(AddFolder::GetFilesInFolder(root + "/", "*.eps")), expected);
        QVERIFY(AddFolder::GetFilesInFolder(root + "/missing", "*.*").isEmpty());
    }

    // Level by level, each parent's sub-folders in name order, as a file manager shows them.
    void getSubDirectories_isBreadthFirst_inNameOrder() {
        for (const char* path : {"a2/a1", "a2/A2/deep", "A10", "b/B1"})
            folder(path);
        QCOMPARE(scan(),
                 (QStringList{entry(), entry("a2"), entry("A10"), entry("b"), entry("a2/a1"),
                              entry("a2/A2"), entry("b/B1"), entry("a2/A2/deep")}));
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(scan(false), (QStringList{entry(), entry("a2"), entry("A10"), entry("b")}));
    }

    void getSubDirectories_skipsUnusableNames_withEverythingBelow() {
        folder("good/deeper");
        folder("what?/below");
        folder("ctl\x01/below");
        // A name that is not valid UTF-8 is left out too.
        const QByteArray raw = QFile::encodeName(root) + "/caf\xe9";
        QCOMPARE(::mkdir(raw.constData(), 0755), 0);
        QCOMPARE(::mkdir((raw + "/below").constData(), 0755), 0);
        const auto folders = scan();
        ::rmdir((raw + "/below").constData()); // beyond what QTemporaryDir can name
        ::rmdir(raw.constData());
        QCOMPARE(folders, (QStringList{entry(), entry("good"), entry("good/deeper")}));
    }

    // Three names that read as the real file "u-?.eps" never list that file in their place.
    void filesWithUndecodableNames_areLeftOut_realQuestionMarksKept() {
        file("plain.eps");
        file("why?.eps");
        file("u-?.eps");
        const QByteArray at = QFile::encodeName(root);
        const QList<QByteArray> raw{at + "/u-\xff.eps", at + "/u-\xfe.eps", at + "/u-\xfd.eps"};
        for (const QByteArray& path : raw)
            QVERIFY(::close(::creat(path, 0644)) == 0);
        QStringList leftOut;
        const QStringList found = filesOfTree(QStringLiteral("*"), &leftOut);
        const QStringList names = AddFolder::GetFilesInFolder(root, QStringLiteral("*.*"));
        for (const QByteArray& path : raw)
            ::unlink(path.constData()); // beyond what QTemporaryDir can name
        QCOMPARE(found, (QStringList{root + "/plain.eps", root + "/u-?.eps", root + "/why?.eps"}));
        QCOMPARE(names, (QStringList{"plain.eps", "u-?.eps", "why?.eps"}));
        QCOMPARE(leftOut, QStringList(3, root + "/u-?.eps"));
        QVERIFY(dialogs.shown.isEmpty()); // the window tells them, once
    }

    void leftOutMessage_namesTheFirstTen() {
        QCOMPARE(AddFolder::LeftOutMessage({}), QString());
        const QStringList lines =
            AddFolder::LeftOutMessage(QStringList(12, "/f/a?.eps")).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 12); // the heading, ten names, the count of the rest
        QCOMPARE(lines.last(), QStringLiteral("... and 2 more."));
    }

    // Within a folder, files come as a file manager shows them.
    void filesOfAFolder_comeInNameOrder() {
        const QStringList inOrder{"a.eps", "a2.eps", "a10.eps", "B.eps", "z.eps", "sub/y.eps"};
        for (const char* name : {"z.eps", "a10.eps", "sub/y.eps", "a2.eps", "B.eps", "a.eps"})
            file(name);
        QCOMPARE(AddFolder::GetFilesInFolder(root, QStringLiteral("*.eps")), inOrder.mid(0, 5));
        QCOMPARE(filesOfTree(QStringLiteral("*.eps")),
                 QStringList(inOrder).replaceInStrings(QRegularExpression("^"), root + "/"));
    }

    void appendFilesOfTree_followsFolderOrder_andLeavesOutTildeAndHiddenFiles() {
        file("top.eps");
        file("~lock.eps");
        file(".hidden.eps");   // hidden + archive: 34, left out
        file(".readonly.eps"); // hidden + archive + read-only: 35, added
        QVERIFY(QFile::setPermissions(root + "/.readonly.eps", QFile::ReadOwner));
        file("A/a.eps");
        file("A/A1/a1.eps");
        file("B/b.EPS");
        file("B/~b.eps");
        const QStringList found = filesOfTree("*.eps");
        QCOMPARE(AsSet(found),
                 (QSet<QString>{root + "/top.eps", root + "/.readonly.eps", root + "/A/a.eps",
                                root + "/A/A1/a1.eps", root + "/B/b.EPS"}));
        // Folder by folder, in the order the scan collected them.
        const auto folders = scan();
        QStringList folderOfEach;
        for (const QString& path : found)
            folderOfEach << path.left(path.lastIndexOf('/') + 1);
        folderOfEach.removeDuplicates();
        QCOMPARE(folderOfEach, folders);
        // Scanning again appends everything again.
        QCOMPARE(filesOfTree("*.eps").size(), found.size());
    }

    void patterns_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("eps") << "eps" << QStringList{"a.eps", "b.EPS", "d..eps"};
        QTest::newRow("every file")
            << "*" << QStringList{"a.eps", "b.EPS", "c.txt", "noext", "d..eps"};
        QTest::newRow("leading dot") << ".eps" << QStringList{"d..eps"};
        QTest::newRow("nothing matches") << "pdf" << QStringList{};
    }
    void patterns() {
        QFETCH(QString, answer);
        QFETCH(QStringList, expected);
        for (const char* name : {"a.eps", "b.EPS", "c.txt", "noext", "d..eps", "~e.eps", ".f"})
            file(name);
        QStringList names;
        for (const QString& path : filesOfTree(AddFolder::PatternForExtension(answer)))
            names << path.mid(root.size() + 1);
        QCOMPARE(AsSet(names), AsSet(expected));
    }

    void links_giveEveryFolderAndFileOnce_readThroughTheFirstPath() {
        for (const char* name : {"f.eps", "A/a.eps", "A/A1/a1.eps", "A/A1/deep/d.eps"})
            file(name);
        QVERIFY(QFile::link(root, root + "/A/up"));           // to an ancestor
        QVERIFY(QFile::link(root + "/A", root + "/A/self"));  // to itself
        QVERIFY(QFile::link(root + "/A/A1", root + "/link")); // reached here before A/A1
        const auto folders = scan();
        QCOMPARE(folders.first(), entry());
        QCOMPARE(AsSet(folders),
                 (QSet<QString>{entry(), entry("A"), entry("link"), entry("link/deep")}));
        QCOMPARE(folders.size(), 4);
        const QStringList found = filesOfTree("*");
        QCOMPARE(AsSet(found), (QSet<QString>{root + "/f.eps", root + "/A/a.eps",
                                              root + "/link/a1.eps", root + "/link/deep/d.eps"}));
        QCOMPARE(found.size(), 4);
        QVERIFY(dialogs.shown.isEmpty());
    }

    void folderVanishingDuringScan_isDropped_andTheRestKept() {
        file("c.eps");
        file("keep/k.eps");
        file("keep/doomed/d.eps");
        file("keep/doomed/d1/d1.eps");
        // Yields: the chosen folder (1), its sub-folder "keep" (2), "keep" itself (3), its
        // sub-folder "doomed" (4), "doomed" itself (5): it goes just before being read.
        YieldWatcher watcher;
        int removedAt = 0;
        watcher.onYield = [&](int count) {
            if (count == 5 && QDir(root + "/keep/doomed").removeRecursively())
                removedAt = count;
        };
        QStringList found = filesOfTree("*.eps");
        QCOMPARE(removedAt, 5);
        QCOMPARE(found, (QStringList{root + "/c.eps", root + "/keep/k.eps"}));
        QVERIFY(dialogs.shown.isEmpty());
    }

    void unreadableFolder_isDroppedWithoutMessage() {
        file("c.eps");
        file("A/a.eps");
        file("locked/l.eps");
        folder("locked/L1");
        // The test tree must be reachable for an unprivileged user.
        QVERIFY(QFile::setPermissions(scratch->path(), QFile::ReadOwner | QFile::WriteOwner |
                                                           QFile::ExeOwner | QFile::ReadGroup |
                                                           QFile::ExeGroup | QFile::ReadOther |
                                                           QFile::ExeOther));
        QVERIFY(QFile::setPermissions(root + "/locked", QFile::Permissions()));
        AddFolder::SubFolderCollection folders;
        QStringList found;
        const bool ran = WithoutRootPowers([&] {
            folders = scan();
            found = filesOfTree("*.eps");
        });
        QFile::setPermissions(root + "/locked",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!ran)
            QSKIP("running as root without the right to change the effective user");
        QCOMPARE(AsSet(folders), (QSet<QString>{entry(), entry("A")}));
        QCOMPARE(AsSet(found), (QSet<QString>{root + "/c.eps", root + "/A/a.eps"}));
        QVERIFY(dialogs.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAddFolder)
#include "tst_addfolder.moc"
