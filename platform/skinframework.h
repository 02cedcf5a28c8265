#pragma once

#include <QString>

class QWidget;

namespace platform {

// A small stand-in for the skin engine: a skin file is a Qt style sheet.
class SkinFramework {
public:
    // Loads the skin file; raises a failure when it cannot be read.
    void LoadSkin(const QString& path, const QString& iniFileName);
    // Applies the loaded sheet to the window and everything on it.
    void ApplyWindow(QWidget* window);

    int Options = 0;           // option bits of the engine; bit 0 asks to skin the whole window
    bool ApplyOptions = false; // kept as set
    bool AutoApplyNewWindows = false; // kept as set

private:
    QString styleSheet;
};

} // namespace platform
