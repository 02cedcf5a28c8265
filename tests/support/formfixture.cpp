#include "formfixture.h"

#include <QStandardPaths>

namespace testing {

namespace {
QString StoreFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Marrowind/Marrowind.ini");
}
} // namespace

Controls::Controls(Form1& form)
    : PushButton1(form.PushButton1), PushButton2(form.PushButton2), PushButton3(form.PushButton3),
      PushButton4(form.PushButton4), PushButton5(form.PushButton5), PushButton6(form.PushButton6),
      PushButton7(form.PushButton7), ListView1(form.ListView1), Frame2(form.Frame2),
      Frame3(form.Frame3), Frame4(form.Frame4), Slider1(form.Slider1), Label2(form.Label2),
      Option1(form.Option1), Option2(form.Option2), Text1(form.Text1),
      ProgressBar1(form.ProgressBar1), ResolutionMenu(form.ResolutionMenu), jobs(*form.jobList),
      Converting(form.Converting), ghostscriptTimeLimitMs(form.ghostscriptTimeLimitMs),
      ghostscriptMemoryLimitBytes(form.ghostscriptMemoryLimitBytes), Resolution(form.Resolution) {}

QStringList ListedPaths(const Form1& form) {
    QStringList rows;
    for (int i = 1; i <= form.ItemCount(); ++i)
        rows << form.ItemText(i);
    return rows;
}

std::optional<QString> StoredSetting(const QString& key) {
    QSettings store(StoreFile(), QSettings::IniFormat);
    store.beginGroup(QStringLiteral("Pellarine"));
    if (!store.contains(key))
        return std::nullopt;
    return store.value(key).toString();
}

void StoreSetting(const QString& key, const QString& value) {
    QSettings store(StoreFile(), QSettings::IniFormat);
    store.beginGroup(QStringLiteral("Pellarine"));
    store.setValue(key, value);
}

} // namespace testing
