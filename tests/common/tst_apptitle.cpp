// The application title: the product name, cut at its last blank until it is short enough.
#include "common/apptitle.h"

#include <QTest>

class TestAppTitle : public QObject {
    Q_OBJECT

private slots:
    void title_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("one word, kept whole") << "Pellarine"
                                              << "Pellarine";
        QTest::newRow("short, loses its last word") << "Pellarine Studio Pro"
                                                    << "Pellarine Studio";
        QTest::newRow("long, cut until at most 40")
            << "Pellarine Converter for Encapsulated PostScript Files Deluxe"
            << "Pellarine Converter for Encapsulated";
        QTest::newRow("long single word, kept") << QString(50, 'x') << QString(50, 'x');
    }
    void title() {
        QFETCH(QString, name);
        QTEST(apptitle::TitleFromProductName(name), "title");
    }
};

QTEST_GUILESS_MAIN(TestAppTitle)
#include "tst_apptitle.moc"
