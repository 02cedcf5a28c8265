#pragma once

#include <string>
#include <vector>

namespace batch {

// The words of a batch file's line: separated by blanks and tabs; double quotes group blanks
// into a word and are themselves dropped, so "" is an empty word.
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

} // namespace batch
