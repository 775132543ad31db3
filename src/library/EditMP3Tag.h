#pragma once
// Editing the ID3v1 tag of a library song: the tag editor window opens modally on the file, and the tag is
// written or removed as the user chooses there (automatic save on, genre 0 as the component's starting
// value). When the file cannot be used, the user is told which file, with the hint that its tag may be
// corrupted or that it may not exist. Used by the library tree's "MP3 Tag Editor" and the library manager.

#include <QString>

class QWidget;

namespace library {

void EditMP3Tag(const QString &path, QWidget *parent = nullptr);

// "An error occurred while trying to access the MP3 tag of the file <path>." + CR + "The MP3 tag in the file
// may be corrupted or the file doesn't exist."
QString TagAccessFailureText(const QString &path);

}  // namespace library
