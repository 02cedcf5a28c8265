// The window on a screen too small for the design: 1366 by 768 pixels at 150 %, where the
// window and its frame take 512 pixels of height; the design alone is 540.
#include "formfixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeView>
#include <cmath>

using testing::ControlsOf;

class TestScreenFit : public QObject {
    Q_OBJECT

private slots:
    void tooSmallAScreen_drawsTheWholeWindowSmaller_asLargeAsFits() {
        testing::FormFixture f;
        Form1& form = f.create();
        const testing::Controls ui = ControlsOf(form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QRect available = form.screen()->availableGeometry();
        QTRY_COMPARE(form.frameGeometry().height(), available.height());
        QVERIFY(available.contains(form.frameGeometry()));
        // Places, sizes and fonts shrink alike: each as the design gives it, in pixels, times
        // the window's scale, within what rounding takes.
        const double scale = form.height() / 540.0;
        const std::tuple<int, double, double> drawn[] = {
            {ui.PushButton5->width(), 520, 1},
            {ui.ListView1->header()->sectionSize(0), 7000 / 15.0, 1},
            {ui.PushButton2->font().pixelSize(), 15, 0.5},
            {form.font().pixelSize(), 12, 0.5}};
        for (const auto& [pixels, design, rounding] : drawn)
            QVERIFY2(std::abs(pixels - design * scale) <= rounding,
                     qPrintable(QString::number(pixels)));
    }
};

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "1.5");
    qputenv("QT_QPA_PLATFORM",
            "offscreen:configfile=" PELLARINE_SOURCE_DIR "/tests/app/small-screen.json");
    QApplication application(argc, argv);
    TestScreenFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screenfit.moc"
