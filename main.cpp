#include "app/form1.h"
#include "platform/services.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    Form1 window(platform::ProductionServices());
    window.show();
    return application.exec();
}
