#include "app/settings.h"
#include "platform/failure.h"
#include "platform/registry.h"
#include "scratchhome.h"

#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

const QString WriterKey = QStringLiteral("Software\\Marrowind PDF Writer");
const QString WriterStore = QStringLiteral("Marrowind PDF Writer.ini");

class TestSettings : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ScratchHome> scratch;

private slots:
    void init() { scratch = std::make_unique<testing::ScratchHome>(); }
    void cleanup() { scratch.reset(); }

    void absentKey_givesDefault_andStoredValueRoundTrips() {
        QCOMPARE(settings::ReadSetting(settings::Extension, QStringLiteral("eps")),
                 QStringLiteral("eps"));
        settings::WriteSetting(settings::OutputFolder, QStringLiteral(" /tmp/a b/ "));
        QCOMPARE(settings::ReadSetting(settings::OutputFolder, QStringLiteral("x")),
                 QStringLiteral(" /tmp/a b/ "));
        settings::WriteSetting(settings::OutputFolder, QString());
        QCOMPARE(settings::ReadSetting(settings::OutputFolder, QStringLiteral("x")), QString());
    }

    void anotherCopysWrite_isKept_whenThisCopyWritesAnotherKey() {
        settings::WriteSetting(settings::JPGQuality, QStringLiteral("40"));
        // Another running copy rewrites the file meanwhile, changing one key.
        const QString file = scratch->configFolder() + QStringLiteral("/Marrowind/Marrowind.ini");
        QFile other(file);
        QVERIFY(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
        other.write("[Pellarine]\nJPGQuality=90\nExtension=ai\n");
        other.close();
        settings::WriteSetting(settings::LastFolder, QStringLiteral("/art"));
        QCOMPARE(settings::ReadSetting(settings::JPGQuality, QString()), QStringLiteral("90"));
        QCOMPARE(settings::ReadSetting(settings::Extension, QString()), QStringLiteral("ai"));
        QCOMPARE(settings::ReadSetting(settings::LastFolder, QString()), QStringLiteral("/art"));
    }

    // The settings store a folder, the PDF Writer's store a pipe: never opened nor replaced.
    void storesThatAreNoRegularFiles_readNothing_andRefuseWrites() {
        const QString folder = scratch->makeFolder("home/.config/Marrowind/Marrowind.ini");
        const QString pipe = scratch->makeFolder("home/.config/Software") + "/" + WriterStore;
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        ::alarm(5); // whoever opens the pipe waits for a writer for ever: end the test instead
        QVERIFY(!platform::ReadUserRegistryString(WriterKey, "OutputFile"));
        QCOMPARE(settings::ReadSetting(settings::JPGQuality, "75"), QStringLiteral("75"));
        QVERIFY_THROWS_EXCEPTION(platform::Failure, settings::WriteSetting("JPGQuality", "4"));
        bool refused = false;
        try {
            platform::SetUserRegistryString(WriterKey, "OutputFile", "/a.pdf");
        } catch (const platform::Failure& failure) {
            refused = true;
            QCOMPARE(failure.description, pipe + " is not a regular file");
        }
        QVERIFY(refused);
        ::alarm(0);
        QVERIFY(QFileInfo(folder).isDir() && !QFileInfo(pipe).isFile());
    }

    // Untidy files (a byte-order mark, a stray line), one linked from a dotfiles folder.
    void untidyStoreFiles_areWrittenWithoutFailure_andALinkStays() {
        const QString dotfile = scratch->makeFolder("dotfiles") + "/Marrowind.ini";
        testing::WriteFile(dotfile, "\xEF\xBB\xBF[Pellarine]\nExtension=ai\n");
        const QString link = scratch->makeFolder("home/.config/Marrowind") + "/Marrowind.ini";
        QVERIFY(QFile::link(dotfile, link));
        testing::WriteFile(scratch->configFolder() + "/Software/" + WriterStore, "stray\n");
        QVERIFY_THROWS_NO_EXCEPTION(settings::WriteSetting(settings::JPGQuality, "40"));
        QVERIFY_THROWS_NO_EXCEPTION(platform::SetUserRegistryString(WriterKey, "OutputFile", "/a"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(settings::ReadSetting(settings::Extension, {}) +
                     settings::ReadSetting(settings::JPGQuality, {}),
                 QStringLiteral("ai40"));
    }

    void conversions_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::newRow("plain") << "75" << 75.0;
        QTest::newRow("blanks inside") << " 1 2 " << 12.0;
        QTest::newRow("fraction and trailing text") << "7.5px" << 7.5;
        QTest::newRow("sign") << "-4" << -4.0;
        QTest::newRow("none") << "x1" << 0.0;
    }
    void conversions() {
        QFETCH(QString, text);
        QFETCH(double, number);
        QCOMPARE(settings::LeadingNumber(text), number);
    }

    void booleans_acceptWordsAndNumbers_only() {
        QVERIFY(settings::ToBoolean(QStringLiteral("TRUE")));
        QVERIFY(!settings::ToBoolean(QStringLiteral("false")));
        QVERIFY(settings::ToBoolean(QStringLiteral(" 2 ")));
        QVERIFY(!settings::ToBoolean(QStringLiteral("0")));
        for (const char* bad : {"yes", "", "1x", "Truee"}) {
            bool raised = false;
            try {
                settings::ToBoolean(QString::fromLatin1(bad));
            } catch (const platform::Failure& failure) {
                raised = failure.number == 13;
            }
            QVERIFY2(raised, bad);
        }
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
