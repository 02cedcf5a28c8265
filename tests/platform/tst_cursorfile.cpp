// The shipped pointer and icon files, read through Qt's image plugin.
#include "platform/cursorfile.h"

#include <QImage>
#include <QPixmap>
#include <QTest>

namespace {

QString Shipped(const char* name) {
    return QStringLiteral(PELLARINE_SOURCE_DIR "/resources/data/") + QLatin1String(name);
}

} // namespace

class TestCursorFile : public QObject {
    Q_OBJECT

private slots:
    void shippedPointers_loadWithTheirHotspots_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QPoint>("hotspot");
        QTest::newRow("hand, fingertip") << Shipped("HAND-M.CUR") << QPoint(9, 0);
        QTest::newRow("drag, centre") << Shipped("drag.ico") << QPoint(16, 16);
    }
    void shippedPointers_loadWithTheirHotspots() {
        QFETCH(QString, file);
        QFETCH(QPoint, hotspot);
        const std::optional<QCursor> cursor = platform::LoadCursorFile(file);
        QVERIFY(cursor);
        const QImage image = cursor->pixmap().toImage();
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(cursor->hotSpot(), hotspot);
        // The alpha channel survives: the corner is clear, the hotspot is on the drawing.
        QCOMPARE(qAlpha(image.pixel(31, 0)), 0);
        QVERIFY(qAlpha(image.pixel(hotspot)) > 128);
        QVERIFY(!platform::LoadCursorFile(Shipped("Samples/line-art.eps")));
    }

    void productIcon_offersEverySize() {
        const std::optional<QIcon> icon =
            platform::LoadIconFile(QStringLiteral(PELLARINE_SOURCE_DIR "/resources/pellarine.ico"));
        QVERIFY(icon);
        const QList<QSize> sizes = icon->availableSizes();
        for (int side : {32, 48, 128, 256})
            QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
    }
};

QTEST_MAIN(TestCursorFile)
#include "tst_cursorfile.moc"
