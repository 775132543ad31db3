#include "library/ui/EditMP3Tag.h"

#include "platform/shell/shell.h"
#include "tags/MP3Tag.h"

namespace library {

void EditMP3Tag(TMP3Tag &mp3tag, const QString &path, QWidget *parent)
{
    // Whatever goes wrong while the file is read, edited or written ends here with the one message: the
    // caller goes on with its next song.
    bool failed = false;
    // The component's error event during the edit says the file is not there (the editor then stays shut);
    // while the file name is set it would only be a file without tag, which the editor offers to tag.
    const TMP3Tag::TErrorEvent previous = mp3tag.onError;
    try {
        mp3tag.SetFilename(path);
        mp3tag.onError = [path, parent](TMP3Tag *, const QString &error) {
            Shell::errorBox(error + QChar(u'\r') + path, parent);
        };
        mp3tag.EditTag();
    } catch (...) {
        failed = true;
    }
    mp3tag.onError = previous;
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
