#pragma once

#include "app/form1.h"
#include "app/joblist.h"
#include "fakes.h"
#include "scratchhome.h"

#include <QSettings>
#include <memory>

namespace testing {

// A private home, the fakes, and a main window made from them.
struct FormFixture {
    ScratchHome home;
    FakeServices fakes;
    std::unique_ptr<Form1> form;

    // Creates the window, which runs its start-up sequence.
    Form1& create() {
        form = std::make_unique<Form1>(fakes.services());
        return *form;
    }
};

// The job list's rows, first to last.
QStringList ListedPaths(const Form1& form);

// Reads the settings store file directly, bypassing the program's own reader.
std::optional<QString> StoredSetting(const QString& key);
void StoreSetting(const QString& key, const QString& value);

} // namespace testing
