#include "library/EditMP3Tag.h"

#include "platform/shell/Shell.h"
#include "tags/MP3Tag.h"

#include <exception>

namespace library {

void EditMP3Tag(const QString &path, QWidget *parent)
{
    try {
        TMP3Tag mp3tag;
        mp3tag.SetGenreID(0);
        mp3tag.SetEditAutoSave(true);
        mp3tag.SetFilename(path);
        mp3tag.EditTag();
    } catch (const std::exception &) {
        Shell::errorBox(TagAccessFailureText(path), parent);
    }
}

QString TagAccessFailureText(const QString &path)
{
    return QStringLiteral("An error occurred while trying to access the MP3 tag of the file ") + path +
           QStringLiteral(".") + QChar(u'\r') +
           QStringLiteral("The MP3 tag in the file may be corrupted or the file doesn't exist.");
}

}  // namespace library
