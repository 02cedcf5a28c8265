#pragma once

#include "rasterise/confine.h"

#include <cstdio>
#include <string>

namespace batch {

// What every line of one batch file shares.
struct Context {
    std::FILE* log;
    std::string folder; // the batch file's folder, where its commands run and write
    confine::Confinement confinement;
};

// Runs one line of a batch file and notes it in the log: the command, what it printed and its
// exit status. Answers that status, or -1 for a line without a command. "del" is built in; any
// other command runs confined (see confine.h), under the ceiling (see ceiling.h), with only the
// environment it needs (see environment.h), TMPDIR, TEMP and TMP naming a fresh folder of its
// own that is removed afterwards, and nothing it started outlives the line.
int RunLine(std::string line, const Context& context);

} // namespace batch
