#pragma once

#include "platform/filesystem.h"

#include <QString>
#include <utility>

// Opening files and folders by a path that someone else may be changing meanwhile: the path is
// walked one name at a time, each name looked up in the folder reached so far, so what is
// opened is what the path named at that moment, and a link that another user owns is never
// followed, wherever it lies.
namespace platform {

// A file descriptor of the program's own, closed when it goes.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int descriptor) : fd(descriptor) {}
    Descriptor(Descriptor&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor();

    int get() const { return fd; }
    bool valid() const { return fd >= 0; }
    // Gives up the descriptor without closing it.
    int release() { return std::exchange(fd, -1); }

private:
    int fd = -1;
};

// Which users besides the owner could read a file, judged by the way it was reached: a class of
// users only when the file lets it read and every folder looked into on the way lets it pass.
struct Readers {
    bool group = true;
    bool others = true;
    friend bool operator==(const Readers&, const Readers&) = default;
};

// A regular file opened for reading, and what was seen on the way to it.
struct OpenedFile {
    Descriptor file;
    FolderIdentity folder; // the folder that holds the name the path ends in
    Readers readers;
};

// Opens the regular file at `path` for reading, once. Links are followed as the system follows
// them, except a link that belongs to another user (neither this user nor the administrator):
// that is refused, as are more than 40 links on one path. What is not a regular file is never
// opened for reading, so nothing can block on it. Raises 53 when the file is missing, 76 when a
// folder on the way is, 70 for a refused link or no access, 75 for what is not a regular file;
// the description says why in plain words.
OpenedFile OpenSourceFile(const QString& path);

// The folder at `path`, opened under the same rule for links: a handle through which files are
// looked up and made in that very folder, whatever happens to its path afterwards. While a
// FolderLoan lends a handle under `path`, a copy of that handle instead. Raises a failure whose
// description says what is wrong.
Descriptor OpenFolder(const QString& path);

// The identity of what a descriptor has open.
FolderIdentity IdentityOf(const Descriptor& descriptor);

// The identity of the regular file named `name` in the folder open in `folder` (a link there is
// not followed); nothing when there is none.
std::optional<FileIdentity> FileIdentityIn(const Descriptor& folder, const QString& name);

// Lends a folder handle to every OpenFolder of `path` while it lives, so that whoever writes
// into that folder by its path meanwhile writes into the folder the lender checked.
class FolderLoan {
public:
    FolderLoan(const QString& path, const Descriptor& folder);
    ~FolderLoan();
    FolderLoan(const FolderLoan&) = delete;
    FolderLoan& operator=(const FolderLoan&) = delete;

private:
    QString key;
};

} // namespace platform
