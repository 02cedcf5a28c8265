#pragma once

#include <QString>

class QWidget;

namespace platform {

// A small stand-in for the skin engine: a skin file is a Qt style sheet.
class SkinFramework {
public:
    // Loads the skin file; raises a failure when it cannot be read.
    void LoadSkin(const QString& path);
    // Applies the loaded sheet to the window and everything on it.
    void ApplyWindow(QWidget* window);

private:
    QString styleSheet;
};

} // namespace platform
