#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestSamples)
#include "tst_samples.moc"
