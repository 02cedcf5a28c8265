#include "app/settings.h"
#include "platform/failure.h"
#include "scratchhome.h"

#include <QFile>
#include <QTest>

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
