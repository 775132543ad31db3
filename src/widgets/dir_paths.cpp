#include "widgets/dir_paths.h"

#include <QDir>
#include <QFileInfo>

#include <dirent.h>
#include <sys/stat.h>

namespace dirpaths {

QString WithTrailingSlash(const QString &path) { return path.endsWith(u'/') ? path : path + u'/'; }

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
    if ((hidden && !types.contains(TDirType::dtHidden)) || (system && !types.contains(TDirType::dtSystem)) ||
        (archive && !types.contains(TDirType::dtArchive)))
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

QStringList Components(const QString &relative) { return relative.split(u'/', Qt::SkipEmptyParts); }

bool ExistsIgnoringCase(const QString &absolutePath)
{
    if (Exists(absolutePath))
        return true;
    // Walk down from the root; where a name is not found as spelled, try every entry that equals it ignoring
    // case.
    QStringList candidates{QStringLiteral("/")};
    for (const QString &name : Components(absolutePath)) {
        QStringList next;
        for (const QString &folder : std::as_const(candidates)) {
            const QString exact = WithTrailingSlash(folder) + name;
            if (Exists(exact)) {
                next.append(exact);
                continue;
            }
            for (const QString &entry : EntryNames(folder)) {
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

namespace dirpaths {

QString DecodeName(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const auto continuation = [&](qsizetype i) { return i < bytes.size() && (byte(i) & 0xC0) == 0x80; };
    qsizetype i = 0;
    while (i < bytes.size()) {
        const unsigned char b = byte(i);
        char32_t code = 0;
        qsizetype length = 0;
        if (b < 0x80) {
            code = b;
            length = 1;
        } else if (b >= 0xC2 && b <= 0xDF && continuation(i + 1)) {
            code = (char32_t(b & 0x1F) << 6) | (byte(i + 1) & 0x3F);
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF && continuation(i + 1) && continuation(i + 2)) {
            code = (char32_t(b & 0x0F) << 12) | (char32_t(byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F);
            if (code >= 0x800 && (code < 0xD800 || code > 0xDFFF))
                length = 3;
        } else if (b >= 0xF0 && b <= 0xF4 && continuation(i + 1) && continuation(i + 2) && continuation(i + 3)) {
            code = (char32_t(b & 0x07) << 18) | (char32_t(byte(i + 1) & 0x3F) << 12) |
                (char32_t(byte(i + 2) & 0x3F) << 6) | (byte(i + 3) & 0x3F);
            if (code >= 0x10000 && code <= 0x10FFFF)
                length = 4;
        }
        if (length == 0) {
            out.append(QChar(char16_t(0xDC00 + b)));  // a byte that is not UTF-8: kept as a lone surrogate
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            out.append(QChar(QChar::highSurrogate(code)));
            out.append(QChar(QChar::lowSurrogate(code)));
        } else {
            out.append(QChar(char16_t(code)));
        }
        i += length;
    }
    return out;
}

QByteArray EncodeName(const QString &name)
{
    QByteArray out;
    out.reserve(name.size());
    const auto put = [&](char32_t code) {
        if (code < 0x80) {
            out.append(char(code));
        } else if (code < 0x800) {
            out.append(char(0xC0 | (code >> 6)));
            out.append(char(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.append(char(0xE0 | (code >> 12)));
            out.append(char(0x80 | ((code >> 6) & 0x3F)));
            out.append(char(0x80 | (code & 0x3F)));
        } else {
            out.append(char(0xF0 | (code >> 18)));
            out.append(char(0x80 | ((code >> 12) & 0x3F)));
            out.append(char(0x80 | ((code >> 6) & 0x3F)));
            out.append(char(0x80 | (code & 0x3F)));
        }
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && QChar::isLowSurrogate(name.at(i + 1).unicode())) {
            put(QChar::surrogateToUcs4(c, name.at(i + 1).unicode()));
            ++i;
        } else if (c >= 0xDC80 && c <= 0xDCFF) {
            out.append(char(c - 0xDC00));  // the byte DecodeName kept
        } else {
            put(c);
        }
    }
    return out;
}

}  // namespace dirpaths

namespace dirpaths {

bool Exists(const QString &path)
{
    struct stat info { };
    return ::stat(EncodeName(path).constData(), &info) == 0;
}

bool IsFolder(const QString &path)
{
    struct stat info { };
    return ::stat(EncodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QStringList EntryNames(const QString &folder)
{
    QStringList names;
    DIR *dir = ::opendir(EncodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArrayView name(entry->d_name);
        if (name != "." && name != "..")
            names.append(DecodeName(name));
    }
    ::closedir(dir);
    return names;
}

}  // namespace dirpaths
