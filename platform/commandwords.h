#pragma once

#include <string>
#include <vector>

namespace platform {

// The words of a command line: separated by blanks and tabs; double quotes group blanks into a
// word and are themselves dropped. Shared by the launcher and the batch interpreter, so a
// parameter line means the same to both.
inline std::vector<std::string> SplitCommandWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(word);
    return words;
}

} // namespace platform
