#include "library/store/library_paths.h"

namespace {

constexpr QChar kSeparator = u'/';

// The longest file name most Linux file systems accept, in bytes.
constexpr qsizetype kMaxFileNameBytes = 255;

}  // namespace

QString ForceBackSlash(const QString &path) { return path.endsWith(kSeparator) ? path : path + kSeparator; }

QString StripLastBackSlash(const QString &path) { return path.endsWith(kSeparator) ? path.chopped(1) : path; }

int RPos(const QString &needle, const QString &text)
{
    if (needle.isEmpty())
        return 0;
    // lastIndexOf finds the rightmost start, which also counts occurrences that overlap a later one.
    return static_cast<int>(text.lastIndexOf(needle)) + 1;
}

QString TitleFromFilePath(const QString &path)
{
    QString name = path.mid(path.lastIndexOf(kSeparator) + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot > 0)
        name.truncate(dot);
    name.replace(u'=', u'-');
    return name;
}

QString SetNameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("A set name cannot be empty.");
    if (name == u"." || name == u"..")
        return QStringLiteral("A set name cannot be \".\" or \"..\".");
    if (name.contains(kSeparator))
        return QStringLiteral("A set name cannot contain \"/\".");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("A set name cannot contain line breaks or other control characters.");
    }
    if ((name + QStringLiteral(".set")).toUtf8().size() > kMaxFileNameBytes)
        return QStringLiteral("The set name is too long to be the name of a file.");
    return {};
}
