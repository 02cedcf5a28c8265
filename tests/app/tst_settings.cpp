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
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
