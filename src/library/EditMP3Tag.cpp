#include "library/EditMP3Tag.h"

#include "platform/shell/Shell.h"
#include "tags/MP3Tag.h"

namespace library {

void EditMP3Tag(TMP3Tag &mp3tag, const QString &path, QWidget *parent)
{
    // Whatever goes wrong while the file is read, edited or written ends here with the one message: the
    // caller goes on with its next song.
    bool failed = false;
    try {
        mp3tag.SetFilename(path);
        mp3tag.EditTag();
    } catch (...) {
        failed = true;
    }
    if (failed)
        Shell::errorBox(TagAccessFailureText(path), parent);
}

void EditMP3Tag(const QString &path, QWidget *parent)
{
    TMP3Tag mp3tag;
    SetUpManagerTag(mp3tag);
    EditMP3Tag(mp3tag, path, parent);
}

void SetUpManagerTag(TMP3Tag &mp3tag)
{
    mp3tag.SetGenreID(0);
    mp3tag.SetEditAutoSave(true);
}

QString TagAccessFailureText(const QString &path)
{
    return QStringLiteral("An error occurred while trying to access the MP3 tag of the file ") + path +
           QStringLiteral(".") + QChar(u'\r') +
           QStringLiteral("The MP3 tag in the file may be corrupted or the file doesn't exist.");
}

}  // namespace library
