#include "rasterise/environment.h"

extern char** environ;

namespace confine {

namespace {

bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

bool Passed(const std::string& variable) {
    return StartsWith(variable, "PATH=") || StartsWith(variable, "LANG=") ||
           StartsWith(variable, "LANGUAGE=") || StartsWith(variable, "LC_") ||
           StartsWith(variable, "GS_");
}

} // namespace

std::vector<std::string> CommandEnvironment(const std::string& temporary) {
    std::vector<std::string> variables;
    for (char** v = environ; *v; ++v)
        if (Passed(*v))
            variables.emplace_back(*v);
    for (const char* name : {"TMPDIR=", "TEMP=", "TMP="})
        variables.push_back(name + temporary);
    return variables;
}

} // namespace confine
