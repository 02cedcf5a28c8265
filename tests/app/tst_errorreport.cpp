// The error report and how a guarded procedure resumes after a failure.
#include "app/errorbox.h"
#include "fakes.h"
#include "platform/failure.h"

#include <QTest>

using errorreport::Guarded;
using errorreport::Showing;

class TestErrorReport : public QObject {
    Q_OBJECT

private slots:
    void reportText_isExact() {
        QCOMPARE(errorreport::ReportText(errorreport::labels::GetSubDirectories2016, 118,
                                         QStringLiteral("Path not found")),
                 QStringLiteral("Path not found\r\nin Corvane2021/08/31.AddFolder."
                                "GetSubDirectories2016 at line 118\r\rPlease email screenshot "
                                "of this message to support@marrowind.example"));
    }

    void eachFailingStep_isReported_andTheNextStatementRuns() {
        testing::FakeDialogs dialogs;
        Guarded g(Showing(dialogs, nullptr, errorreport::labels::PushButton7));
        QStringList ran;
        const auto fail = [](int n) { platform::Raise(n, {}); };
        g.run(100, [&] {
            fail(53);
            ran << QStringLiteral("not reached");
        });
        g.run(100, [&] { ran << QStringLiteral("second statement of 100"); });
        g.run(102, [&] { fail(76); });
        g.run(104, [&] { throw std::runtime_error("disk on fire"); });
        g.run(106, [&] { ran << QStringLiteral("106"); });
        QCOMPARE(ran,
                 (QStringList{QStringLiteral("second statement of 100"), QStringLiteral("106")}));
        const QStringList reports = dialogs.messages();
        QCOMPARE(reports.size(), 3);
        QVERIFY(reports[0].startsWith(QStringLiteral(
            "File not found\r\nin Pellarine2021/08/31.Form1.PushButton7_Click at line 100\r\r")));
        QVERIFY(reports[1].startsWith(QStringLiteral("Path not found\r\n")));
        QVERIFY(reports[1].contains(QStringLiteral("at line 102\r\r")));
        QVERIFY(reports[2].startsWith(QStringLiteral("disk on fire\r\n")));
        QVERIFY(reports[2].contains(QStringLiteral("at line 104\r\r")));
        for (const auto& shown : dialogs.shown) {
            QCOMPARE(shown.caption, QStringLiteral("Application Error"));
            QCOMPARE(shown.icon, platform::Icon::Warning);
            QCOMPARE(shown.buttons, platform::Buttons::Ok);
        }
    }

    void failingTest_takesTheTrueBranch_thenTheStatementAfter() {
        testing::FakeDialogs dialogs;
        Guarded g(Showing(dialogs, nullptr, errorreport::labels::FormLoad));
        QList<int> steps;
        if (g.holdsOrFails(146, [&]() -> bool { platform::Raise(13, {}); }))
            g.run(148, [&] { steps << 148; });
        else
            g.run(150, [&] { steps << 150; });
        g.run(152, [&] { steps << 152; });
        QCOMPARE(steps, (QList<int>{148, 152}));
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(dialogs.messages()[0].contains(QStringLiteral("at line 146\r\r")));
    }

    // A statement tells whether it ran through; a procedure whose last statement fails still
    // returns to its caller, having reported that failure once.
    void failingLastStatement_endsTheProcedure_normally() {
        testing::FakeDialogs dialogs;
        const auto procedure = [&] {
            Guarded g(Showing(dialogs, nullptr, errorreport::labels::PushButton6));
            const bool first = g.run(98, [] {});
            const bool last = g.run(100, [] { platform::Raise(70, {}); });
            return first && !last && g.lastDescription() == QLatin1String("Permission denied");
        };
        QVERIFY(procedure());
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(dialogs.messages()[0].startsWith(QStringLiteral("Permission denied\r\n")));
    }
};

QTEST_GUILESS_MAIN(TestErrorReport)
#include "tst_errorreport.moc"
