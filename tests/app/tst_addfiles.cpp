// "Add EPS File(s)": what the dialog returns is appended, in the dialog's order.
#include "formfixture.h"
#include "intake/adddialog.h"

#include <QPushButton>
#include <QTest>

using testing::ControlsOf;

class TestAddFiles : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::FormFixture> f;

    QStringList listed() const { return testing::ListedPaths(*f->form); }

private slots:
    void init() {
        f = std::make_unique<testing::FormFixture>();
        f->create();
    }
    void cleanup() { f.reset(); }

    void chosenFiles_areAppendedAsReturned_data() {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("single file, kept as typed")
            << QStringList{"/art/No Such File.EPS"} << QStringList{"/art/No Such File.EPS"};
        QTest::newRow("three files in the dialog's order")
            << QStringList{"/art/c.eps", "/art/a.eps", "/art/b.eps"}
            << QStringList{"/art/c.eps", "/art/a.eps", "/art/b.eps"};
        QTest::newRow("at the root, one separator")
            << QStringList{"/a.eps", "/b.eps"} << QStringList{"/a.eps", "/b.eps"};
        QTest::newRow("files of different folders keep their paths")
            << QStringList{"/x/a.eps", "/y/z/b.eps"} << QStringList{"/x/a.eps", "/y/z/b.eps"};
        QTest::newRow("cancelled") << QStringList{} << QStringList{};
    }
    void chosenFiles_areAppendedAsReturned() {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, expected);
        f->fakes.dialogs.fileSelections.enqueue(chosen);
        QTest::mouseClick(ControlsOf(*f->form).PushButton1, Qt::LeftButton);
        QCOMPARE(listed(), expected);
        const auto& shown = f->fakes.dialogs.shown.first();
        QCOMPARE(shown.text,
                 QStringLiteral("Add File(s) - Hold Ctrl or Shift to select multiple files"));
        QCOMPARE(shown.caption, QStringLiteral("EPS Files (*.eps)|*.eps|"));
        QCOMPARE(f->fakes.dialogs.count(QStringLiteral("message")), 0);
    }

    void aFileAlreadyListed_isAppendedAgain() {
        f->form->AddToList(QStringLiteral("/art/a.eps"));
        f->fakes.dialogs.fileSelections.enqueue({QStringLiteral("/art/a.eps")});
        f->form->PushButton1_Click();
        QCOMPARE(listed(), (QStringList{"/art/a.eps", "/art/a.eps"}));
    }

    void selectionBeyondTheBuffer_showsTheTooManyMessage_andAddsNothing() {
        // Folder "/f" (2) + NUL + 1500 names of 19 characters with their NULs + terminator:
        // 2 + 1 + 1500 * 20 + 1 = 30004 characters, just over the buffer; one name fewer fits.
        QStringList chosen;
        for (int i = 0; i < 1500; ++i)
            chosen << QStringLiteral("/f/%1.eps").arg(i, 15, 10, QLatin1Char('0'));
        QStringList fits = chosen.mid(0, 1499);

        f->fakes.dialogs.fileSelections.enqueue(chosen);
        f->form->PushButton1_Click();
        QCOMPARE(f->form->ItemCount(), 0);
        QCOMPARE(f->fakes.dialogs.messages(),
                 QStringList{QStringLiteral("You've selected too many files to add.\r\r"
                                            "Please try adding via the \"Add All\" button.")});
        const auto& box = f->fakes.dialogs.shown.last();
        QCOMPARE(box.caption, QStringLiteral("Pellarine"));
        QCOMPARE(box.icon, platform::Icon::None);

        f->fakes.dialogs.fileSelections.enqueue(fits);
        f->form->PushButton1_Click();
        QCOMPARE(f->form->ItemCount(), 1499);
        QCOMPARE(f->form->ItemText(1499), fits.last());
    }
};

QTEST_MAIN(TestAddFiles)
#include "tst_addfiles.moc"
