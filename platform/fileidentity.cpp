#include "platform/fileidentity.h"

#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>

namespace platform {

std::optional<FileIdentity> FileIdentityOf(const QString& path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileIdentity{static_cast<unsigned long long>(st.st_dev),
                        static_cast<unsigned long long>(st.st_ino),
                        static_cast<long long>(st.st_mtim.tv_sec) * 1'000'000'000LL +
                            st.st_mtim.tv_nsec,
                        static_cast<long long>(st.st_size)};
}

bool ProgramOnPath(const QString& name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

} // namespace platform
