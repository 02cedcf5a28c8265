#include "rasterise/tempfolder.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace confine {

namespace {

constexpr const char* TemporaryPrefix = ".gs-temp-";

int RemoveEntry(const char* path, const struct stat*, int type, FTW*) {
    if (type == FTW_DP || type == FTW_D)
        ::rmdir(path);
    else
        ::unlink(path);
    return 0;
}

} // namespace

std::string MakeTemporaryFolder(const std::string& parent) {
    std::string pattern = parent + "/" + TemporaryPrefix + "XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return {};
    return pattern;
}

void RemoveTree(const std::string& folder) {
    if (!folder.empty())
        ::nftw(folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
}

void RemoveLeftOverTemporaryFolders(const std::string& parent) {
    DIR* folder = ::opendir(parent.c_str());
    if (!folder)
        return;
    std::vector<std::string> left;
    while (const dirent* entry = ::readdir(folder))
        if (std::strncmp(entry->d_name, TemporaryPrefix, std::strlen(TemporaryPrefix)) == 0)
            left.push_back(parent + "/" + entry->d_name);
    ::closedir(folder);
    for (const std::string& path : left)
        RemoveTree(path);
}

} // namespace confine
