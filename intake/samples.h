#pragma once

#include "common/errorreport.h"

#include <QString>

namespace intake {
struct Window;
}

namespace platform {
class Shell;
}

// "Load Sample/Example Files": the drawings shipped in Samples beside the program.
namespace samples {

// Appends every file of `applicationFolder`/Samples that is not listed yet, then asks whether
// to open that folder in the file manager (through `shell`), on every press. Failures are told
// through `report`, the press's error report, which goes on after each.
void LoadSamples(const intake::Window& window, const errorreport::Report& report,
                 const QString& applicationFolder, platform::Shell& shell);

} // namespace samples
