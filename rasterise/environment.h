#pragma once

#include <string>
#include <vector>

namespace confine {

// The environment a command of a batch file gets: what it needs to run and nothing else of the
// user's session (no tokens, no session bus, no display): PATH, the locale (LANG, LANGUAGE and
// LC_*), Ghostscript's own variables (GS_*) as the user set them, and TMPDIR, TEMP and TMP
// naming `temporary`, its own temporary folder.
std::vector<std::string> CommandEnvironment(const std::string& temporary);

} // namespace confine
