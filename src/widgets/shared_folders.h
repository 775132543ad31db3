#pragma once
// Which folders this machine shares with the network, for the tree's share overlay: the shares of the Samba
// configuration and of the users' Samba shares ("net usershare"), and the NFS exports.

#include <QByteArray>
#include <QSet>
#include <QString>

// The folders named by "path =" in the share sections of smb.conf ([global], [homes] and [printers] are no
// folder shares). Paths are returned without a trailing "/".
QSet<QString> ParseSmbConf(const QByteArray &text);
// The folder of one file of the user-share folder (its "path=" line).
QString ParseUsershare(const QByteArray &text);
// The exported folders of an exports file (the first word of each line, quoted or not; "\040" is a blank).
QSet<QString> ParseExports(const QByteArray &text);

struct SharedFolderSource {
    QString SmbConf = QStringLiteral("/etc/samba/smb.conf");
    QString UsershareFolder = QStringLiteral("/var/lib/samba/usershares");
    QString Exports = QStringLiteral("/etc/exports");
    QString ExportsFolder = QStringLiteral("/etc/exports.d");  // files ending in ".exports"

    // All shared folders, each without a trailing "/". Files that cannot be read share nothing.
    QSet<QString> Read() const;
};
