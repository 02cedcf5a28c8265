#include "app/errorbox.h"
#include "fakes.h"
#include "intake/dropintake.h"
#include "scratchhome.h"

#include <QDir>
#include <QMimeData>
#include <QSet>
#include <QSysInfo>
#include <QTest>
#include <QUrl>

#include <memory>

class TestDropIntake : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ScratchHome> scratch;
    testing::FakeDialogs dialogs;
    const errorreport::Report report =
        errorreport::Showing(dialogs, nullptr, errorreport::labels::GetSubDirectories2016);
    QString base;

    QString file(const QString& relative) {
        testing::WriteFile(base + "/" + relative);
        return base + "/" + relative;
    }
    QStringList drop(const QStringList& relative) {
        QStringList dropped, appended;
        for (const QString& r : relative)
            dropped << base + "/" + r;
        dropintake::DropPaths(dropped, report, [&](const QString& path) { appended << path; });
        return appended;
    }

private slots:
    void init() {
        scratch = std::make_unique<testing::ScratchHome>();
        dialogs.shown.clear();
        base = scratch->makeFolder("drag");
    }
    void cleanup() { scratch.reset(); }

    void acceptsDrag_data() {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("text only") << QList<QUrl>{} << "some words" << false;
        QTest::newRow("web address")
            << QList<QUrl>{QUrl("https://example.org/a.eps")} << "" << false;
        QTest::newRow("local file") << QList<QUrl>{QUrl::fromLocalFile("/tmp/a.eps")} << "" << true;
        QTest::newRow("mixed") << QList<QUrl>{QUrl("https://example.org"),
                                              QUrl::fromLocalFile("/tmp/b")}
                               << "" << true;
    }
    void acceptsDrag() {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QMimeData data;
        if (!urls.isEmpty())
            data.setUrls(urls);
        if (!text.isEmpty())
            data.setText(text);
        QCOMPARE(dropintake::AcceptsDrag(data), accepted);
    }

    // A file of this machine is local, also when its address names this machine as its host. A
    // name that is not valid UTF-8 is left out, never read as the file named U+FFFD.
    void droppedPaths_keepOrder_andNameWhatIsNotLocal() {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile("/b/2.eps"), QUrl("https://example.org/x"),
                      QUrl("file://localhost/c/3.eps"),
                      QUrl("file://" + QSysInfo::machineHostName() + "/d/4.eps"),
                      QUrl("file://elsewhere.example/e/5.eps"), QUrl("file:///f/u-%FF.eps"),
                      QUrl("file:///f/u-%EF%BF%BD.eps"),
                      QUrl::fromLocalFile("/a/1 with blank.eps")});
        QStringList unusable, leftOut;
        QCOMPARE(dropintake::DroppedPaths(data, &unusable, &leftOut),
                 (QStringList{"/b/2.eps", "/c/3.eps", "/d/4.eps", "/f/u-\uFFFD.eps",
                              "/a/1 with blank.eps"}));
        QCOMPARE(unusable,
                 (QStringList{"https://example.org/x", "file://elsewhere.example/e/5.eps"}));
        QCOMPARE(leftOut, QStringList{"/f/u-?.eps"});
    }

    void unusableEntries_tenNamed_theRestCounted() {
        QCOMPARE(dropintake::UnusableMessage({}), QString());
        QStringList entries;
        for (int k = 1; k <= 12; ++k)
            entries << QStringLiteral("https://example.org/%1").arg(k);
        const QStringList lines = dropintake::UnusableMessage(entries).split("\r\n");
        QCOMPARE(lines.size(), 1 + 10 + 1);
        QCOMPARE(lines.first(), QStringLiteral("These dropped items could not be added:"));
        QCOMPARE(lines.mid(1, 10), entries.mid(0, 10));
        QCOMPARE(lines.last(), QStringLiteral("... and 2 more."));
        QCOMPARE(dropintake::UnusableMessage(entries.mid(0, 10)).count("\r\n"), 10);
    }

    void mixedDrop_keepsDroppedOrder_andScansFoldersWhole() {
        file("first.pdf");
        file("A/a.eps");
        file("A/~temp.doc");
        file("A/.hidden.eps");
        file("A/sub/deep.txt");
        file("B/b.eps");
        file("last.eps");
        const QStringList appended = drop({"first.pdf", "A", "B", "last.eps"});
        QCOMPARE(appended.size(), 5);
        QCOMPARE(appended.first(), base + "/first.pdf");
        // A's tree, then B's tree, each once.
        QCOMPARE(appended.mid(1, 2), (QStringList{base + "/A/a.eps", base + "/A/sub/deep.txt"}));
        QCOMPARE(appended[3], base + "/B/b.eps");
        QCOMPARE(appended.last(), base + "/last.eps");
        QVERIFY(dialogs.shown.isEmpty());
    }

    void folderWithTrailingSeparator_givesSingleSeparators() {
        file("A/a.eps");
        QCOMPARE(drop({"A/"}), QStringList{base + "/A/a.eps"});
    }
};

QTEST_GUILESS_MAIN(TestDropIntake)
#include "tst_dropintake.moc"
