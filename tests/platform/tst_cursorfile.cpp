#include "platform/cursorfile.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QString Shipped(const char* name) {
    return QStringLiteral(PELLARINE_SOURCE_DIR "/resources/data/") + QLatin1String(name);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Png(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

struct Image {
    int size;
    quint16 a, b; // hotspot (cursor) or planes and bit count (icon)
    QByteArray payload;
};

// An icon or cursor file with the given images, laid out as the format prescribes.
QByteArray Container(quint16 type, const QList<Image>& images) {
    QByteArray out(6, '\0');
    qToLittleEndian<quint16>(type, out.data() + 2);
    qToLittleEndian<quint16>(quint16(images.size()), out.data() + 4);
    quint32 offset = quint32(6 + 16 * images.size());
    QByteArray body;
    for (const Image& image : images) {
        QByteArray entry(16, '\0');
        entry[0] = entry[1] = char(image.size == 256 ? 0 : image.size);
        qToLittleEndian<quint16>(image.a, entry.data() + 4);
        qToLittleEndian<quint16>(image.b, entry.data() + 6);
        qToLittleEndian<quint32>(quint32(image.payload.size()), entry.data() + 8);
        qToLittleEndian<quint32>(offset, entry.data() + 12);
        offset += quint32(image.payload.size());
        out += entry;
        body += image.payload;
    }
    return out + body;
}

} // namespace

class TestCursorFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

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
    }

    void builtFiles_pickTheRightImageAndHotspot_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("hotspot");
        QTest::newRow("cursor with a PNG image")
            << Container(2, {{32, 3, 5, Png(32)}}) << QSize(32, 32) << QPoint(3, 5);
        QTest::newRow("cursor hotspot beyond the image is kept inside")
            << Container(2, {{16, 40, 99, Png(16)}}) << QSize(16, 16) << QPoint(15, 15);
        QTest::newRow("icon: the 32 pixel image wins, centre hotspot")
            << Container(1, {{16, 1, 32, Png(16)}, {32, 1, 32, Png(32)}, {256, 1, 32, Png(256)}})
            << QSize(32, 32) << QPoint(16, 16);
        QTest::newRow("icon: a damaged image is passed over")
            << Container(1, {{32, 1, 32, QByteArray("\x89PNG\r\n\x1a\nrubbish", 15)},
                             {48, 1, 32, Png(48)}})
            << QSize(48, 48) << QPoint(24, 24);
    }

    void builtFiles_pickTheRightImageAndHotspot() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(QPoint, hotspot);
        const std::optional<QCursor> cursor = platform::LoadCursorFile(Write("built.cur", bytes));
        QVERIFY(cursor);
        QCOMPARE(cursor->pixmap().size(), size);
        QCOMPARE(cursor->hotSpot(), hotspot);
    }

    void damagedFiles_giveNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("write");
        const QByteArray hand = ReadAll(Shipped("HAND-M.CUR"));
        QVERIFY(hand.size() > 1000);
        QByteArray garbage(4096, '\0');
        QRandomGenerator random(20210831);
        for (char& c : garbage)
            c = char(random.bounded(256));
        QByteArray manyEntries = hand.left(6);
        manyEntries[4] = manyEntries[5] = char(0xFF);
        QByteArray offsetBeyondEnd = hand;
        qToLittleEndian<quint32>(quint32(hand.size()), offsetBeyondEnd.data() + 18);
        QByteArray hugeWidth = hand;
        qToLittleEndian<qint32>(0x7FFFFFFF, hugeWidth.data() + 22 + 4);
        QByteArray wrongType = hand;
        wrongType[2] = 3;

        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("header only") << hand.left(6) << true;
        QTest::newRow("directory only") << hand.left(22) << true;
        QTest::newRow("truncated image") << hand.left(hand.size() / 2) << true;
        QTest::newRow("random garbage") << garbage << true;
        QTest::newRow("65535 entries claimed") << manyEntries << true;
        QTest::newRow("image offset past the end") << offsetBeyondEnd << true;
        QTest::newRow("bitmap 2^31 pixels wide") << hugeWidth << true;
        QTest::newRow("neither icon nor cursor") << wrongType << true;
    }

    void damagedFiles_giveNothing() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, write);
        const QString path = write ? Write(QStringLiteral("damaged.cur"), bytes)
                                   : dir.filePath(QStringLiteral("no such file.cur"));
        QVERIFY(!platform::LoadCursorFile(path));
        QVERIFY(!platform::LoadIconFile(path));
    }

    void randomlyDamagedHand_neverCrashes() {
        const QByteArray hand = ReadAll(Shipped("HAND-M.CUR"));
        QRandomGenerator random(7);
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes = hand;
            // Damage the directory and the bitmap header most: that is where sizes live.
            for (int i = 0; i < 4; ++i)
                bytes[random.bounded(round % 2 ? 62 : bytes.size())] = char(random.bounded(256));
            const QString path = Write(QStringLiteral("fuzz.cur"), bytes);
            if (const auto cursor = platform::LoadCursorFile(path)) {
                QVERIFY(!cursor->pixmap().isNull());
            }
            platform::LoadIconFile(path);
        }
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
