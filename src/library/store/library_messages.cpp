#include "library/store/library_messages.h"

namespace LibraryMessages {

namespace {

constexpr QChar kBreak = u'\r';

QString notSavedSentence(What what)
{
    return what == What::SetList ? QStringLiteral("The set list has not been saved.")
                                 : QStringLiteral("The song list of this set has not been saved.");
}

}  // namespace

QString libraryMissing(const QString &path)
{
    return QStringLiteral("Couldn't open file: ") + path + kBreak + QStringLiteral("A new file will be created.");
}

QString libraryUnreadable(const QString &path, const QString &reason)
{
    return QStringLiteral("Couldn't open file: ") + path + kBreak + reason +
        QStringLiteral(". The file is kept as it is and will not be replaced while it cannot be read.");
}

QString notReplacingUnreadable(const QString &path, What what)
{
    return QStringLiteral("Couldn't write file: ") + path + kBreak +
        QStringLiteral("The file could not be read, so it is not replaced. ") + notSavedSentence(what);
}

QString notSaved(const QString &error, What what) { return error + kBreak + notSavedSentence(what); }

QString couldNotDelete(const QString &path) { return QStringLiteral("Couldn't delete file: ") + path; }

QString couldNotRename(const QString &oldPath)
{
    return QStringLiteral("Couldn't rename file: ") + oldPath + kBreak +
        QStringLiteral("Please rename the set to the old name so the database keeps consistent.");
}

QString songNotInSet(const QString &title, const QString &setName)
{
    return QStringLiteral("Couldn't rename song: ") + title + kBreak +
        QStringLiteral("The song is no longer in the set \"") + setName +
        QStringLiteral("\". Nothing has been changed.");
}

QString badSetName(const QString &name, const QString &problem)
{
    return QStringLiteral("Couldn't use \"") + name + QStringLiteral("\" as the name of a set.") + kBreak + problem;
}

QString badSongTitle(const QString &title)
{
    return QStringLiteral("Couldn't use \"") + title + QStringLiteral("\" as the title of a song.") + kBreak +
        QStringLiteral("A song title cannot contain \"=\", line breaks or other control characters.");
}

QString badSongPath(const QString &path)
{
    return QStringLiteral("Couldn't add file: ") + path + kBreak +
        QStringLiteral("A file name with a line break cannot be stored in a set.");
}

}  // namespace LibraryMessages
