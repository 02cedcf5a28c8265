// The output options panel, the Help message and the pointer feedback.
#include "app/settings.h"
#include "formfixture.h"
#include "help/help.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTreeView>

using testing::ControlsOf;
using testing::StoredSetting;
using testing::StoreSetting;

class TestOutputOptions : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::FormFixture> f;

private slots:
    void init() { f = std::make_unique<testing::FormFixture>(); }
    void cleanup() { f.reset(); }

    void options_storeBothStates_andEnableTheFolderPanel() {
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        form.show();
        QTest::mouseClick(ui.Option2, Qt::LeftButton);
        QVERIFY(ui.Option2->isChecked() && !ui.Option1->isChecked());
        QCOMPARE(StoredSetting(settings::Option1), QStringLiteral("False"));
        QCOMPARE(StoredSetting(settings::Option2), QStringLiteral("True"));
        QVERIFY(!ui.Frame4->isEnabled());
        const QString folder = ui.Text1->text();
        QTest::mouseClick(ui.Option1, Qt::LeftButton);
        QCOMPARE(StoredSetting(settings::Option1), QStringLiteral("True"));
        QCOMPARE(StoredSetting(settings::Option2), QStringLiteral("False"));
        QVERIFY(ui.Frame4->isEnabled());
        QCOMPARE(ui.Text1->text(), folder); // the folder came back unchanged
    }

    void typing_storesTheWholeTextOnEveryKeystroke() {
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        form.show();
        ui.Text1->clear();
        QCOMPARE(StoredSetting(settings::OutputFolder), QString());
        const QString typed = QStringLiteral("/o ");
        for (int i = 0; i < typed.size(); ++i) {
            QTest::keyClick(ui.Text1, typed[i].toLatin1());
            QCOMPARE(StoredSetting(settings::OutputFolder), typed.left(i + 1));
        }
    }

    void slider_showsAndStoresItsValue_data() {
        QTest::addColumn<int>("value");
        QTest::newRow("0") << 0;
        QTest::newRow("100") << 100;
        QTest::newRow("40") << 40;
    }
    void slider_showsAndStoresItsValue() {
        QFETCH(int, value);
        ControlsOf(f->create()).Slider1->setValue(value);
        QCOMPARE(ControlsOf(*f->form).Frame3->title(),
                 QStringLiteral("PDF Quality: %1%").arg(value));
        QCOMPARE(StoredSetting(settings::JPGQuality), QString::number(value));
        // ... and the next start restores it.
        f->form.reset();
        QCOMPARE(ControlsOf(f->create()).Slider1->value(), value);
    }

    // A stored resolution that is not one of the menu's reads as 72 and is left as it is; a
    // choice in the menu is kept at once, told in the slider's tip, and comes back at the next
    // start.
    void resolution_readsAsStored_orAs72_data() {
        QTest::addColumn<QString>("stored"); // "-" for none
        QTest::addColumn<int>("resolution");
        QTest::newRow("none") << "-" << 72;
        QTest::newRow("empty") << "" << 72;
        QTest::newRow("words") << "fine" << 72;
        QTest::newRow("with its unit") << "300dpi" << 72;
        QTest::newRow("not listed") << "299" << 72;
        QTest::newRow("above the list") << "1200" << 72;
        QTest::newRow("negative") << "-300" << 72;
        QTest::newRow("exponent") << "3e2" << 72;
        QTest::newRow("blanks around") << " 150 " << 150;
        QTest::newRow("listed") << "600" << 600;
    }
    void resolution_readsAsStored_orAs72() {
        QFETCH(QString, stored);
        QFETCH(int, resolution);
        if (stored != QLatin1String("-"))
            StoreSetting(settings::Resolution, stored);
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        QCOMPARE(ui.Resolution, resolution);
        const QString tip = ui.Slider1->toolTip();
        QVERIFY2(tip.startsWith(QStringLiteral("Resolution: %1 dpi.\nRight-click").arg(resolution)),
                 qPrintable(tip));
        QCOMPARE(ui.Slider1->accessibleDescription(), QString(tip).replace('\n', ' '));
        QCOMPARE(StoredSetting(settings::Resolution).value_or("-"), stored);

        ui.ResolutionMenu->actions().at(2)->trigger();
        QCOMPARE(StoredSetting(settings::Resolution), QStringLiteral("300"));
        f->form.reset();
        QCOMPARE(ControlsOf(f->create()).Resolution, 300);
        QVERIFY(ControlsOf(*f->form).ResolutionMenu->actions().at(2)->isChecked());
        QVERIFY(ControlsOf(*f->form).Slider1->toolTip().startsWith(
            QStringLiteral("Resolution: 300 dpi.")));
    }

    void browse_setsTheFolderWithOneTrailingSeparator_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("text");
        QTest::newRow("folder") << "/srv/out"
                                << "/srv/out/";
        QTest::newRow("root") << "/"
                              << "/";
    }
    void browse_setsTheFolderWithOneTrailingSeparator() {
        QFETCH(QString, chosen);
        QFETCH(QString, text);
        StoreSetting(settings::LastFolder, QStringLiteral("/last/scanned"));
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        f->fakes.dialogs.folders.enqueue(chosen);
        QTest::mouseClick(ui.PushButton4, Qt::LeftButton);
        const auto& shown = f->fakes.dialogs.shown.last();
        QCOMPARE(shown.kind, QStringLiteral("folder"));
        QCOMPARE(shown.text, QStringLiteral("Please select folder:"));
        QCOMPARE(shown.caption, QStringLiteral("/last/scanned")); // opens at the last scan
        QCOMPARE(ui.Text1->text(), text);
        QCOMPARE(StoredSetting(settings::OutputFolder), text);
        QCOMPARE(StoredSetting(settings::LastFolderDot), chosen);
        QCOMPARE(StoredSetting(settings::LastFolder), QStringLiteral("/last/scanned"));
    }

    void browseCancelled_changesNothing() {
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        const QString before = ui.Text1->text();
        QTest::mouseClick(ui.PushButton4, Qt::LeftButton);
        QCOMPARE(f->fakes.dialogs.count(QStringLiteral("folder")), 1);
        QCOMPARE(ui.Text1->text(), before);
        QCOMPARE(StoredSetting(settings::OutputFolder), before);
        QVERIFY(!StoredSetting(settings::LastFolderDot));
        QCOMPARE(f->fakes.dialogs.count(QStringLiteral("message")), 0);
    }

    void unwritableStore_isToldOnce_andTheWindowKeepsWorking() {
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        form.show();
        // A config "folder" that is a file: nothing can be stored under it, even as root.
        const QString blocker = f->home.path() + QStringLiteral("/not-a-folder");
        testing::WriteFile(blocker);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker));
        // Held on the track, the slider pages on; the message waits for the release it needs.
        const QPoint track = ui.Slider1->mapTo(&form, QPoint(ui.Slider1->width() - 5, 6));
        const int before = ui.Slider1->value();
        QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, track);
        // The press pages once at once, and again when its repetition sets in.
        QTRY_VERIFY(ui.Slider1->value() >= before + 2 * ui.Slider1->pageStep());
        QCOMPARE(f->fakes.dialogs.count(QStringLiteral("message")), 0);
        QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, track);
        QTRY_COMPARE(f->fakes.dialogs.count(QStringLiteral("message")), 1);
        QTest::keyClicks(ui.Text1, QStringLiteral("abc"));
        ui.Slider1->setValue(10);
        QCoreApplication::processEvents(); // where a second message would be shown
        QCoreApplication::processEvents();
        QCOMPARE(f->fakes.dialogs.count(QStringLiteral("message")), 1);
        QVERIFY(f->fakes.dialogs.messages()[0].startsWith(
            QStringLiteral("Your settings could not be saved")));
        QVERIFY(ui.Text1->text().endsWith(QStringLiteral("abc")));
        QCOMPARE(ui.Frame3->title(), QStringLiteral("PDF Quality: 10%"));
        // Once a setting is saved again, a later failure is told anew.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(f->home.configFolder()));
        ui.Slider1->setValue(20);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker));
        ui.Slider1->setValue(30);
        QTRY_COMPARE(f->fakes.dialogs.count(QStringLiteral("message")), 2);
    }

    void help_showsBothParagraphs_data() {
        QTest::addColumn<int>("key"); // none: a click
        QTest::newRow("click") << 0;
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
    }
    void help_showsBothParagraphs() {
        QFETCH(int, key);
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        form.AddToList(QStringLiteral("/a.eps"));
        if (key == 0)
            QTest::mouseClick(ui.PushButton5, Qt::LeftButton);
        else
            QTest::keyClick(ui.PushButton5, Qt::Key(key));
        QCOMPARE(f->fakes.dialogs.shown.size(), 1);
        const auto& box = f->fakes.dialogs.shown[0];
        // The viewer paragraph first, one empty line, then the contact paragraph.
        QCOMPARE(box.text, "To view the quality of the original EPS files, " +
                               help::EpsViewerAddress +
                               " can be used.\r\n\r\nQuestions? Please contact Team Marrowind at " +
                               help::ContactAddress);
        QCOMPARE(box.caption, QStringLiteral("Pellarine"));
        QCOMPARE(box.buttons, platform::Buttons::Ok);
        QCOMPARE(box.icon, platform::Icon::None);
        QCOMPARE(form.ItemCount(), 1);
    }

    void hover_handOverButtons_arrowElsewhere_neverOverTheBusyPointer() {
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto moveTo = [&](QWidget* w) {
            QTest::mouseMove(w, w->rect().center());
            QCoreApplication::processEvents();
        };
        using P = Form1::Pointer;
        moveTo(ui.PushButton1);
        QCOMPARE(form.pointer(), P::Custom);
        moveTo(ui.Slider1); // no rule: the hand stays
        QCOMPARE(form.pointer(), P::Custom);
        moveTo(ui.Label2);
        QCOMPARE(form.pointer(), P::Default);
        moveTo(ui.PushButton4);
        QCOMPARE(form.pointer(), P::Custom);
        moveTo(ui.Text1);
        QCOMPARE(form.pointer(), P::Default);
        moveTo(ui.PushButton5);
        QCOMPARE(form.pointer(), P::Custom);
        moveTo(ui.ListView1->viewport());
        QCOMPARE(form.pointer(), P::Default);

        QTest::mouseClick(ui.Option2, Qt::LeftButton); // disables "..."
        moveTo(ui.PushButton5);
        moveTo(ui.PushButton4);
        QCOMPARE(form.pointer(), P::Default);
        form.setPointer(P::Hourglass);
        for (QWidget* w :
             {static_cast<QWidget*>(ui.PushButton2), static_cast<QWidget*>(ui.Frame2),
              static_cast<QWidget*>(ui.ListView1->viewport()), static_cast<QWidget*>(ui.Option1)}) {
            moveTo(w);
            QCOMPARE(form.pointer(), P::Hourglass);
        }
        QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
        form.setPointer(P::Default);
        moveTo(ui.PushButton7);
        QCOMPARE(form.pointer(), P::Custom);
        QCOMPARE(form.cursor().shape(), Qt::BitmapCursor); // the hand image
    }
};

QTEST_MAIN(TestOutputOptions)
#include "tst_outputoptions.moc"
