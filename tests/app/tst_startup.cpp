// Start-up of the main window: defaults, restored choices, failures at a step, the layout.
#include "app/joblist.h"
#include "app/settings.h"
#include "formfixture.h"
#include "platform/environment.h"

#include <QApplication>
#include <QDir>

#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTreeView>
#include <algorithm>
#include <cmath>

using testing::ControlsOf;
using testing::StoredSetting;
using testing::StoreSetting;

namespace {
// The contrast of two colours as the web's accessibility guidelines define it: 1 to 21.
double Contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto linear = [](float v) {
            return v <= 0.03928f ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::FormFixture> f;

private slots:
    void init() { f = std::make_unique<testing::FormFixture>(); }
    void cleanup() { f.reset(); }

    void emptyStore_givesDefaults() {
        QDir().mkpath(f->home.home() + QStringLiteral("/Desktop"));
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        QCOMPARE(form.windowTitle(), QStringLiteral("Pellarine"));
        const QList<QSize> iconSizes = form.windowIcon().availableSizes();
        for (const QSize size : {QSize(32, 32), QSize(48, 48), QSize(128, 128), QSize(256, 256)})
            QVERIFY2(iconSizes.contains(size), qPrintable(QString::number(size.width())));
        QCOMPARE(ui.Text1->text(), f->home.home() + QStringLiteral("/Desktop/"));
        QCOMPARE(ui.Slider1->value(), 75);
        QCOMPARE(ui.Frame3->title(), QStringLiteral("PDF Quality: 75%"));
        QVERIFY(ui.Option1->isChecked());
        QVERIFY(!ui.Option2->isChecked());
        QVERIFY(ui.Frame4->isEnabled());
        QCOMPARE(ui.ProgressBar1->format(), QStringLiteral("Progress Bar"));
        QCOMPARE(ui.ProgressBar1->value(), 0);
        QCOMPARE(ui.jobs.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("EPS File(s)"));
        QCOMPARE(form.size(), QSize(536, 540)); // as the design draws it, where it fits
        QCOMPARE(ui.ListView1->header()->sectionSize(0), 467);
        QCOMPARE(form.ItemCount(), 0);
        QCOMPARE(ui.ListView1->accessibleName(), QStringLiteral("EPS File(s)"));
        QCOMPARE(ui.Text1->accessibleName(), ui.Option1->text());
        QCOMPARE(ui.ProgressBar1->accessibleName(), QStringLiteral("Progress Bar"));
        QVERIFY(f->fakes.dialogs.shown.isEmpty());
        // Ghostscript is ended after a minute on one file, or beyond a quarter of the memory.
        QCOMPARE(ui.ghostscriptTimeLimitMs, 60000);
        QCOMPARE(ui.ghostscriptMemoryLimitBytes,
                 std::clamp(platform::PhysicalMemoryBytes() / 4, 1LL << 30, 4LL << 30));
        // The change handlers that ran at start-up wrote what changed, and only that.
        QCOMPARE(StoredSetting(settings::OutputFolder), ui.Text1->text());
        QCOMPARE(StoredSetting(settings::JPGQuality), QStringLiteral("75"));
        QVERIFY(!StoredSetting(settings::Option1));
        QVERIFY(!StoredSetting(settings::Option2));
    }

    // Without a desktop folder the home folder is proposed: a folder that exists.
    void noDesktopFolder_proposesTheHome() {
        QCOMPARE(ControlsOf(f->create()).Text1->text(), f->home.home() + QStringLiteral("/"));
    }

    // Captions and texts stand out from their faces also where the desktop's theme gives light
    // text on dark faces everywhere.
    void texts_standOutUnderADarkDesktopTheme() {
        struct Restore {
            QPalette desktop = QApplication::palette();
            ~Restore() { QApplication::setPalette(desktop); }
        } restore;
        const QColor face(0x32, 0x32, 0x32), light(0xf0, 0xf0, 0xf0);
        QApplication::setPalette(
            QPalette(light, face, face.lighter(), face.darker(), face, light, light, face, face));
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        using R = QPalette::ColorRole;
        const std::tuple<QWidget*, R, R> texts[] = {{ui.PushButton5, R::ButtonText, R::Button},
                                                    {ui.PushButton2, R::ButtonText, R::Button},
                                                    {ui.Frame3, R::WindowText, R::Window},
                                                    {ui.Option1, R::WindowText, R::Window}};
        for (const auto& [widget, text, background] : texts) {
            const double contrast =
                Contrast(widget->palette().color(text), widget->palette().color(background));
            QVERIFY2(contrast >= 4.5, qPrintable(QString::number(contrast)));
        }
    }

    void storedQuality_isReadAsLeadingNumber_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("slider");
        QTest::newRow("plain") << "50" << 50;
        QTest::newRow("no number") << "abc" << 0;
        QTest::newRow("blanks skipped") << " 4 0xyz" << 40;
        QTest::newRow("half to even, down") << "74.5" << 74;
        QTest::newRow("half to even, up") << "75.5" << 76;
        QTest::newRow("above range is clamped") << "150" << 100;
        QTest::newRow("below range is clamped") << "-3" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void storedQuality_isReadAsLeadingNumber() {
        QFETCH(QString, stored);
        QFETCH(int, slider);
        StoreSetting(settings::JPGQuality, stored);
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        QCOMPARE(ui.Slider1->value(), slider);
        QCOMPARE(ui.Frame3->title(), QStringLiteral("PDF Quality: %1%").arg(slider));
        QVERIFY(f->fakes.dialogs.shown.isEmpty());
    }

    void storedOptions_selectTheOptionAndFrame_data() {
        QTest::addColumn<QString>("option1");
        QTest::addColumn<QString>("option2");
        QTest::addColumn<bool>("selected1");
        QTest::addColumn<bool>("selected2");
        QTest::newRow("second chosen") << "False"
                                       << "True" << false << true;
        QTest::newRow("neither") << "False"
                                 << "False" << false << false;
        QTest::newRow("any letter case") << "tRUE"
                                         << "fALSE" << true << false;
        QTest::newRow("numbers") << "0"
                                 << "-1" << false << true;
    }
    void storedOptions_selectTheOptionAndFrame() {
        QFETCH(QString, option1);
        QFETCH(QString, option2);
        QFETCH(bool, selected1);
        QFETCH(bool, selected2);
        StoreSetting(settings::Option1, option1);
        StoreSetting(settings::Option2, option2);
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        QCOMPARE(ui.Option1->isChecked(), selected1);
        QCOMPARE(ui.Option2->isChecked(), selected2);
        QCOMPARE(ui.Frame4->isEnabled(), selected1);
        QVERIFY(f->fakes.dialogs.shown.isEmpty());
    }

    void unreadableBoolean_isReportedAtItsStep_andStartupGoesOn() {
        StoreSetting(settings::Option1, QStringLiteral("maybe"));
        StoreSetting(settings::Option2, QStringLiteral("yes"));
        StoreSetting(settings::JPGQuality, QStringLiteral("40"));
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        const QStringList reports = f->fakes.dialogs.messages();
        QCOMPARE(reports.size(), 2);
        QVERIFY(reports[0].startsWith(QStringLiteral(
            "Type mismatch\r\nin Pellarine2021/08/31.Form1.Form_Load at line 142\r\r")));
        QVERIFY(reports[1].contains(QStringLiteral(" at line 144\r\r")));
        QCOMPARE(f->fakes.dialogs.shown[0].caption, QStringLiteral("Application Error"));
        // Both options keep their layout state; the later steps still ran.
        QVERIFY(ui.Option1->isChecked());
        QVERIFY(ui.Frame4->isEnabled());
        QCOMPARE(ui.Slider1->value(), 40);
        QCOMPARE(form.windowTitle(), QStringLiteral("Pellarine"));
    }

    void desktopUnknown_reportsStep136_byteForByte() {
        qputenv("HOME", "");
        Form1& form = f->create();
        const testing::Controls ui = ControlsOf(form);
        QCOMPARE(f->fakes.dialogs.shown.size(), 1);
        const auto& report = f->fakes.dialogs.shown[0];
        QCOMPARE(
            report.text.toUtf8(),
            QByteArray("Invalid procedure call or argument\r\n"
                       "in Pellarine2021/08/31.Form1.Form_Load at line 136\r\r"
                       "Please email screenshot of this message to support@marrowind.example"));
        QCOMPARE(report.caption, QStringLiteral("Application Error"));
        QCOMPARE(report.icon, platform::Icon::Warning);
        QCOMPARE(report.buttons, platform::Buttons::Ok);
        QCOMPARE(ui.Text1->text(),
                 QString()); // the failed statement left the box as it was
        QCOMPARE(ui.Slider1->value(),
                 75); // and start-up went on with the next statement
    }

    void homePage_opensOnlyWhenTheDrawIsSeven_data() {
        QTest::addColumn<double>("draw");
        QTest::addColumn<bool>("opened");
        QTest::newRow("n = 7") << 0.065 << true;
        QTest::newRow("n = 6") << 0.059 << false;
        QTest::newRow("n = 8") << 0.07 << false;
    }
    void homePage_opensOnlyWhenTheDrawIsSeven() {
        QFETCH(double, draw);
        QFETCH(bool, opened);
        f->fakes.random.value = draw;
        f->create();
        QCOMPARE(f->fakes.random.seeds, 1);
        QCOMPARE(f->fakes.shell.opened,
                 opened ? QStringList{QStringLiteral("https://www.marrowind.example/")}
                        : QStringList{});
    }

    void handPointer_loadedWhenTheCursorFileIsThere() {
        Form1& form = f->create(); // the build folder ships HAND-M.CUR
        QVERIFY(form.hasCustomPointerImage());
        f->form.reset();
        auto services = f->fakes.services();
        services.applicationFolder = f->home.makeFolder(QStringLiteral("empty-app"));
        Form1 bare(services);
        QVERIFY(!bare.hasCustomPointerImage());
        QVERIFY(f->fakes.dialogs.shown.isEmpty());
    }

    void closingTheWindow_endsTheProgram() {
        Form1& form = f->create();
        form.show();
        form.close();
        QCOMPARE(f->fakes.endProgramCalls, 1);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
