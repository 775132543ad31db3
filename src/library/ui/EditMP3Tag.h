#pragma once
// Editing the ID3v1 tag of a library song: the tag editor window opens modally on the file, and the tag is
// written or removed as the user chooses there. When the file cannot be used, the user is told which file,
// with the hint that its tag may be corrupted or that it may not exist. Used by the library manager (with its
// own tag component) and by the library tree's "MP3 Tag Editor".

#include <QString>

class QWidget;
class TMP3Tag;

namespace library {

// Gives `mp3tag` the file and runs its editor; any failure of either step is reported, never raised.
void EditMP3Tag(TMP3Tag &mp3tag, const QString &path, QWidget *parent = nullptr);

// The same with a tag component of its own, set up as the library manager's (genre 0, automatic save on).
void EditMP3Tag(const QString &path, QWidget *parent = nullptr);

// Sets a tag component up as the library manager's: genre 0, automatic save after editing on.
void SetUpManagerTag(TMP3Tag &mp3tag);

// "An error occurred while trying to access the MP3 tag of the file <path>." + CR + "The MP3 tag in the file
// may be corrupted or the file doesn't exist."
QString TagAccessFailureText(const QString &path);

}  // namespace library
