#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

const QString SourceDir = QStringLiteral(PELLARINE_SOURCE_DIR);

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The switches the conversion hands to Ghostscript, with the quality at its default.
QStringList GhostscriptArguments(const QString& output, const QString& input) {
    return {QStringLiteral("-dSAFER"),
            QStringLiteral("-dBATCH"),
            QStringLiteral("-dNOPAUSE"),
            QStringLiteral("-sDEVICE=jpeg"),
            QStringLiteral("-dJPEGQ=75"),
            QStringLiteral("-dDOINTERPOLATE"),
            QStringLiteral("-dGraphicsAlphaBits=4"),
            QStringLiteral("-dEPSCrop"),
            QStringLiteral("-sOutputFile=") + output,
            input};
}

} // namespace

class TestSamples : public QObject {
    Q_OBJECT

private slots:
    void samples_rasteriseCleanly_data() {
        QTest::addColumn<QString>("path");
        const QDir samples(SourceDir + QStringLiteral("/resources/data/Samples"));
        const QStringList names =
            samples.entryList({QStringLiteral("*.eps")}, QDir::Files, QDir::Name);
        QVERIFY2(names.size() >= 6, qPrintable(samples.path()));
        for (const QString& name : names)
            QTest::newRow(qPrintable(name)) << samples.filePath(name);
    }

    // Every sample is a well-formed EPS that Ghostscript turns into a JPEG of exactly its
    // bounding box (the default 72 dots per inch makes one pixel per point).
    void samples_rasteriseCleanly() {
        QFETCH(QString, path);
        const QByteArray text = ReadAll(path);
        QVERIFY(text.startsWith("%!PS-Adobe-3.0 EPSF-3.0\n"));
        for (const char* comment : {"\n%%HiResBoundingBox: ", "\n%%Title: ",
                                    "\n%%Creator: Pellarine samples\n", "\n%%EndComments\n"})
            QVERIFY2(text.contains(comment), comment);
        QVERIFY(text.trimmed().endsWith("\n%%EOF"));
        const QRegularExpressionMatch box =
            QRegularExpression(
                QStringLiteral("\n%%BoundingBox: (-?\\d+) (-?\\d+) (-?\\d+) (-?\\d+)\n"))
                .match(QString::fromLatin1(text));
        QVERIFY(box.hasMatch());
        const QSize expected(box.captured(3).toInt() - box.captured(1).toInt(),
                             box.captured(4).toInt() - box.captured(2).toInt());

        const QString gs = QStandardPaths::findExecutable(QStringLiteral("gs"));
        QVERIFY2(!gs.isEmpty(), "Ghostscript (gs) is not installed");
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QString jpeg = work.filePath(QStringLiteral("x.jpg"));
        QProcess process;
        process.start(gs, GhostscriptArguments(jpeg, path));
        QVERIFY(process.waitForFinished(120000));
        const QByteArray errors = process.readAllStandardError();
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY2(errors.isEmpty(), errors.constData());
        QVERIFY(QFileInfo(jpeg).size() > 0);
        const QImage image(jpeg);
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), expected);
    }

    // The window icon file holds 32x32 at 24 bits and 48, 128, 256 at 32 bits. The depth is
    // read both from the directory and from the image itself (bitmap header or PNG header).
    void productIcon_holdsTheRequiredImages() {
        const QByteArray ico = ReadAll(SourceDir + QStringLiteral("/resources/pellarine.ico"));
        QVERIFY(ico.size() > 6);
        const char* p = ico.constData();
        QCOMPARE(qFromLittleEndian<quint16>(p), quint16(0));
        QCOMPARE(qFromLittleEndian<quint16>(p + 2), quint16(1));
        const int count = qFromLittleEndian<quint16>(p + 4);
        QVERIFY(6 + 16 * count <= ico.size());
        QList<QPair<int, int>> found;
        for (int i = 0; i < count; ++i) {
            const char* e = p + 6 + 16 * i;
            const int side = quint8(e[0]) ? quint8(e[0]) : 256;
            QCOMPARE(quint8(e[1]) ? quint8(e[1]) : 256, side);
            const int bits = qFromLittleEndian<quint16>(e + 6);
            const quint32 size = qFromLittleEndian<quint32>(e + 8);
            const quint32 offset = qFromLittleEndian<quint32>(e + 12);
            QVERIFY(offset + quint64(size) <= quint64(ico.size()));
            const QByteArray image = ico.mid(offset, size);
            if (image.startsWith("\x89PNG")) {
                QVERIFY(image.size() >= 26);
                QCOMPARE(qFromBigEndian<quint32>(image.constData() + 16), quint32(side));
                QCOMPARE(int(image[24]), 8); // bits per channel
                QCOMPARE(int(image[25]), 6); // RGBA
                QCOMPARE(bits, 32);
            } else {
                QVERIFY(image.size() >= 40);
                QCOMPARE(qFromLittleEndian<qint32>(image.constData() + 4), side);
                QCOMPARE(qFromLittleEndian<qint32>(image.constData() + 8), 2 * side);
                QCOMPARE(int(qFromLittleEndian<quint16>(image.constData() + 14)), bits);
            }
            found.append({side, bits});
        }
        for (const QPair<int, int>& wanted :
             QList<QPair<int, int>>{{32, 24}, {48, 32}, {128, 32}, {256, 32}})
            QVERIFY2(found.contains(wanted), qPrintable(QString::number(wanted.first)));
        // The same file is built into the program as its window icon.
        QCOMPARE(ReadAll(QStringLiteral(":/pellarine.ico")), ico);
    }
};

QTEST_GUILESS_MAIN(TestSamples)
#include "tst_samples.moc"
