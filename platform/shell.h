#pragma once

#include <QString>

namespace platform {

// The desktop's opener: shows a folder in the file manager or an address in the browser.
class Shell {
public:
    virtual ~Shell() = default;
    // `target` is a web or mail address ("https://...", "mailto:...") or a local path.
    // Returns false when the desktop could not open it.
    virtual bool open(const QString& target) = 0;
};

} // namespace platform
