#include "config/locations.h"

#include "platform/registry/xdg_locations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

const QString kConfigurationFile = QStringLiteral("devud3.dat");
const QString kFolderName = QStringLiteral("dak-mp3");
// A file every run-time folder holds; where it lies, the others lie too.
const QString kRuntimeMarker = QStringLiteral("play.ico");

QString WithSlash(QString folder)
{
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

// An XDG base folder's own folder for this program, made when missing. Should that fail, the path is still
// given: the first write there then reports the failure with the file's name.
QString OwnFolderBelow(const QString &base)
{
    const QString folder = QDir(base).filePath(kFolderName);
    QDir().mkpath(folder);
    return WithSlash(folder);
}

QString SharedRuntimeFolder() { return QDir::cleanPath(programFolder() + QStringLiteral("../share/") + kFolderName); }

// An installed tree: the run-time files lie in share/dak-mp3, not beside the executable.
bool InstalledTree()
{
    return !QFileInfo::exists(programFolder() + kRuntimeMarker) &&
        QFileInfo::exists(QDir(SharedRuntimeFolder()).filePath(kRuntimeMarker));
}

bool DecidePortable()
{
    const QString folder = programFolder();
    if (QFileInfo::exists(folder + kConfigurationFile))
        return true;
    // access(W_OK) on the folder: false on a read-only mount even for root, and for an ordinary user in a
    // system folder. A writable bin/ of an installed tree (root in /usr/bin, a prefix in the home folder)
    // is no place for settings either.
    return QFileInfo(folder).isWritable() && !InstalledTree();
}

}  // namespace

QString programFolder()
{
    const QString folder =
        QCoreApplication::instance() != nullptr ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return WithSlash(folder);
}

bool portableUse()
{
    static const bool portable = DecidePortable();
    return portable;
}

QString configurationFolder()
{
    if (portableUse())
        return programFolder();
    return OwnFolderBelow(registry::CurrentXdgLocations().configHome);
}

QString defaultLibraryFolder()
{
    if (portableUse())
        return programFolder();
    return OwnFolderBelow(registry::CurrentXdgLocations().dataHome);
}

QString runtimeFilesFolder()
{
    const QString beside = programFolder();
    if (QFileInfo::exists(beside + kRuntimeMarker))
        return beside;
    const QString shared = SharedRuntimeFolder();
    if (QFileInfo::exists(QDir(shared).filePath(kRuntimeMarker)))
        return WithSlash(shared);
    return beside;  // nothing found: a missing file is then reported with the program's folder
}
