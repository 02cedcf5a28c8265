#pragma once

#include "common/errorreport.h"

#include <QString>
#include <QStringList>
#include <functional>

// The folder-tree scan shared by "Add All" and the drop: collecting sub-folders level by level,
// listing files by pattern and testing names and files.
namespace AddFolder {

// An ordered collection of folder paths, each ending in one separator. Duplicates are possible
// and never removed.
using SubFolderCollection = QStringList;

// The names (not paths) of the files in `folder` that match the wildcard `pattern`
// (case-insensitive, "*" any run, "?" one character), hidden files included, in the order a file
// manager shows them (letter case aside, runs of digits as numbers: a2 before a10); only names
// of regular files (links followed) that can be examined are kept, and none whose bytes are not
// valid UTF-8.
QStringList GetFilesInFolder(const QString& folder, const QString& pattern);

// True when the name holds a character the scan does not accept in a folder name: a control
// character (below 32 or 127 to 159) or "?" (which also stands for undecodable bytes).
bool HasBadChars(const QString& name);

// Appends every sub-folder of the folders already in `folders`, level by level (breadth-first:
// the entries it had, then their sub-folders grouped by parent, each parent's in name order as
// GetFilesInFolder orders files, then the next level, ...). With
// `recursive` false only one level is added. A folder reached a second time in one scan (through
// a link) is left out of the collection, so every folder appears once and link cycles end; the
// first path that reaches it, link or not, is kept and read in full. A folder whose sub-folders
// cannot be read for want of permission or because it vanished is removed without a message;
// other failures are told through `report` (the scan's own error report) and the scan goes on.
// Sub-folders whose names are not valid UTF-8 are left out with everything below them;
// `leftOut`, when given, gets their paths (undecodable bytes read as "?", ending in a
// separator) appended.
void GetSubDirectories2016(SubFolderCollection& folders, bool recursive,
                           const errorreport::Report& report, QStringList* leftOut = nullptr);

// The collection a scan of `folder` starts with: the folder followed by a separator.
SubFolderCollection NewCollection(const QString& folder);

// The pattern "Add All" lists with for the extension the user typed: "*." followed by the
// answer unchanged ("eps" gives "*.eps", "*" gives "*.*").
QString PatternForExtension(const QString& answer);

// The whole scan of one folder: collects its tree, then calls `append` for every file of it,
// folder by folder in collection order, in name order within a folder. Serves pending window
// events now and then while it lists, so a large tree never freezes the window. The files and
// folders left out for names that are not valid UTF-8 are appended to `leftOut`, when given.
// A failure rises to the caller; run under `guarded`, it is reported there instead, at the step
// of "Add All" it belongs to (114 starting the collection, 116 collecting it, 122 listing one
// folder), and the scan goes on with the next folder.
void AppendFilesOfTree(const QString& folder, const QString& pattern,
                       const errorreport::Report& report,
                       const std::function<void(const QString&)>& append,
                       QStringList* leftOut = nullptr, errorreport::Guarded* guarded = nullptr);

// The message that names the files and folders a scan left out for their names; empty when
// there are none. The first ten are named, the rest only counted.
QString LeftOutMessage(const QStringList& leftOut);

} // namespace AddFolder
