#include "library/import/folder_search.h"

#include "library/store/library_paths.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace import {

namespace {

// How many entries are looked at between two calls of the progress function.
constexpr int kProgressEvery = 256;

enum class EntryType { Folder, File, Other };

struct Entry {
    QString name;
    EntryType type = EntryType::Other;
};

// A folder's identity on its file system, to notice a folder that is reached again through a link.
using FolderId = std::pair<dev_t, ino_t>;

EntryType typeOf(const QByteArray &path, unsigned char direntType)
{
    if (direntType == DT_DIR)
        return EntryType::Folder;
    if (direntType == DT_REG)
        return EntryType::File;
    if (direntType != DT_LNK && direntType != DT_UNKNOWN)
        return EntryType::Other;  // devices, pipes, sockets
    // A link counts as what it points to; a broken link as neither file nor folder.
    struct stat info { };
    if (::stat(path.constData(), &info) != 0)
        return EntryType::Other;
    if (S_ISDIR(info.st_mode))
        return EntryType::Folder;
    return S_ISREG(info.st_mode) ? EntryType::File : EntryType::Other;
}

class Search {
public:
    Search(const QString &mask, bool recursive, QStringList &list, const SearchProgress &progress)
        : recursive_(recursive), list_(list), progress_(progress)
    {
        everything_ = mask.isEmpty() || mask == u"*.*" || mask == u"*";
        if (!everything_) {
            pattern_ = QRegularExpression(QRegularExpression::wildcardToRegularExpression(mask),
                                          QRegularExpression::CaseInsensitiveOption);
        }
    }

    // Returns false when the search was ended by the progress function.
    bool folder(const QString &path)
    {
        const QString prefix = ForceBackSlash(path);
        const QByteArray encoded = QFile::encodeName(prefix);
        struct stat info { };
        if (::stat(encoded.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
            return true;
        if (!visited_.insert({info.st_dev, info.st_ino}).second)
            return true;

        for (const Entry &entry : entries(encoded)) {
            if (++looked_ % kProgressEvery == 0 && progress_ && !progress_(list_.size()))
                return false;
            if (entry.type == EntryType::Folder) {
                if (recursive_ && !entry.name.startsWith(u'.') && !folder(prefix + entry.name))
                    return false;
                continue;
            }
            // Without recursion only plain files count, as a listing of a folder's files shows them.
            if (!recursive_ && entry.type != EntryType::File)
                continue;
            if (HasMp3Extension(entry.name))
                list_.append(prefix + entry.name);
        }
        return true;
    }

private:
    std::vector<Entry> entries(const QByteArray &folder) const
    {
        std::vector<Entry> found;
        DIR *dir = ::opendir(folder.constData());
        if (dir == nullptr)
            return found;
        while (const dirent *e = ::readdir(dir)) {
            const QByteArray name(e->d_name);
            if (name == "." || name == "..")
                continue;
            Entry entry;
            entry.name = QFile::decodeName(name);
            if (!everything_ && !pattern_.match(entry.name).hasMatch())
                continue;
            entry.type = typeOf(folder + name, e->d_type);
            found.push_back(std::move(entry));
        }
        ::closedir(dir);
        std::sort(found.begin(), found.end(), [](const Entry &a, const Entry &b) {
            const int order = a.name.compare(b.name, Qt::CaseInsensitive);
            return order != 0 ? order < 0 : a.name < b.name;
        });
        return found;
    }

    bool recursive_;
    QStringList &list_;
    const SearchProgress &progress_;
    bool everything_ = true;
    QRegularExpression pattern_;
    std::set<FolderId> visited_;
    qsizetype looked_ = 0;
};

}  // namespace

bool HasMp3Extension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && QStringView(name).sliced(dot) == u".mp3";
}

bool SearchForFiles(const QString &folder, const QString &mask, bool recursive, QStringList &list,
                    const SearchProgress &progress)
{
    Search search(mask, recursive, list, progress);
    return search.folder(folder);
}

}  // namespace import
