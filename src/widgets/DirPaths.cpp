#include "widgets/DirPaths.h"

#include <QDir>
#include <QFileInfo>

namespace dirpaths {

QString WithTrailingSlash(const QString &path)
{
    return path.endsWith(u'/') ? path : path + u'/';
}

QString AbsoluteClean(const QString &path, const QString &currentFolder)
{
    const QString absolute = QDir::isAbsolutePath(path) ? path : WithTrailingSlash(currentFolder) + path;
    return QDir::cleanPath(absolute);
}

bool IsRecycleName(const QString &name)
{
    if (name == u".Trash" || name.startsWith(u".Trash-"))
        return true;
    for (const char16_t *windows : {u"recycled", u"recycler", u"$recycle.bin"}) {
        if (name.compare(QStringView(windows), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool IsBelowRecycleFolder(const QString &path, const QString &homeTrash)
{
    const QStringList parts = Components(path);
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        if (IsRecycleName(parts.at(i)))
            return true;
    }
    if (homeTrash.isEmpty())
        return false;
    const QString trash = WithTrailingSlash(homeTrash);
    return path.size() > trash.size() && path.startsWith(trash);
}

bool PassesDirTypes(uint32_t attr, TDirTypes types)
{
    if (types.contains(TDirType::dtAll))
        return true;
    const bool hidden = (attr & DirAttr::Hidden) != 0;
    const bool system = (attr & DirAttr::System) != 0;
    const bool archive = (attr & DirAttr::Archive) != 0;
    if ((hidden && !types.contains(TDirType::dtHidden)) || (system && !types.contains(TDirType::dtSystem))
        || (archive && !types.contains(TDirType::dtArchive)))
        return false;
    return types.contains(TDirType::dtNormal) || hidden || system || archive;
}

int DriveIndexFor(const QStringList &roots, const QString &path)
{
    int best = -1;
    for (int i = 0; i < roots.size(); ++i) {
        const QString &root = roots.at(i);
        if (path.startsWith(root) && (best < 0 || root.size() > roots.at(best).size()))
            best = i;
    }
    return best;
}

int MatchName(const QStringList &names, const QString &wanted)
{
    int folded = -1;
    int foldedCount = 0;
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i) == wanted)
            return i;
        if (names.at(i).compare(wanted, Qt::CaseInsensitive) == 0) {
            folded = i;
            ++foldedCount;
        }
    }
    return foldedCount == 1 ? folded : -1;
}

QStringList Components(const QString &relative)
{
    return relative.split(u'/', Qt::SkipEmptyParts);
}

bool ExistsIgnoringCase(const QString &absolutePath)
{
    if (QFileInfo::exists(absolutePath))
        return true;
    // Walk down from the root; where a name is not found as spelled, try every entry that equals it ignoring
    // case.
    QStringList candidates{QStringLiteral("/")};
    for (const QString &name : Components(absolutePath)) {
        QStringList next;
        for (const QString &folder : std::as_const(candidates)) {
            const QString exact = WithTrailingSlash(folder) + name;
            if (QFileInfo::exists(exact)) {
                next.append(exact);
                continue;
            }
            const QDir dir(folder);
            for (const QString &entry : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
                if (entry.compare(name, Qt::CaseInsensitive) == 0)
                    next.append(WithTrailingSlash(folder) + entry);
            }
        }
        if (next.isEmpty())
            return false;
        candidates = next;
    }
    return true;
}

bool NameLess(const QString &a, const QString &b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

}  // namespace dirpaths
