#pragma once
// Finding the MP3 files of a folder, for the folder import.
//
// A file is an MP3 file when the text from the last "." of its name is exactly ".mp3": the test is
// case-sensitive, so "song.MP3" is not found. Each folder's entries are taken in name order, ignoring letter
// case (as file systems that keep their folders sorted list them; the order in which most Linux file systems
// return entries is arbitrary, and a set's songs would land in a random order).
//
// Not recursive: only the folder's own files are looked at (plain files, hidden ones included, and links to
// plain files). Recursive: each subfolder whose name does not begin with "." is searched at the point where
// it comes in its parent's entries, before the next entry (depth first); every entry that is not a folder is
// tested as a file. A folder reached a second time (through a symbolic link) is not searched again, so a link
// loop cannot make the search run forever.

#include <QString>
#include <QStringList>

#include <functional>

namespace import {

// Called now and then while searching, with the number of files found so far; returning false ends the
// search at once.
using SearchProgress = std::function<bool(qsizetype found)>;

// Appends the full path of every MP3 file found in `folder` (ForceBackSlash(folder) + name) to `list`.
// `mask` selects the entries looked at: "*.*" and "*" take every name, anything else is a wildcard pattern
// ("?" one character, "*" any run) matched ignoring case. A folder that cannot be read adds nothing.
// Returns false when `progress` ended the search (the list then holds what was found until then).
bool SearchForFiles(const QString &folder, const QString &mask, bool recursive, QStringList &list,
                    const SearchProgress &progress = {});

// Whether a file name has the extension ".mp3", exactly.
bool HasMp3Extension(const QString &name);

}  // namespace import
