#pragma once
// A configuration file read and written key by key, in the manner of the private-profile functions: look a
// key up with a default, write a key and have it on disk at once. The rules of the file format are in
// ini_document.h; how a write reaches the disk is in atomic_file.h.
//
// A ProfileFile reads its file when it is made (and on reload); reads answer from that copy. Every write
// reads the file afresh, changes it and replaces it on disk before it returns, so nothing written by someone
// else in between is lost, and the copy then holds what was written. The file is created by the first write.
// Plain values; use from one thread at a time.

#include "platform/profile/ini_document.h"

#include <QList>
#include <QString>
#include <QStringView>

// The outcome of reading or writing: an empty error when it worked, else a message naming the file.
struct ProfileStatus {
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// One key to write.
struct ProfileWrite {
    QString section;
    QString key;
    QString value;
};

class ProfileFile {
public:
    explicit ProfileFile(QString path);

    const QString &path() const { return path_; }
    // Why the file could not be read; ok when it was read or does not exist (then every read gives its
    // default). A file that could not be read is never written over.
    const ProfileStatus &readStatus() const { return readStatus_; }
    bool exists() const { return exists_; }
    ProfileStatus reload();

    // The value, or the default when the section or key is absent.
    QString readString(QStringView section, QStringView key, const QString &defaultValue) const;
    // The value read by parseProfileInteger, or the default when absent or unreadable.
    int readInteger(QStringView section, QStringView key, int defaultValue) const;
    // An integer value; non-zero is true. Absent or unreadable gives the default.
    bool readBool(QStringView section, QStringView key, bool defaultValue) const;
    // The keys of a section in file order, each once, with their values (as readString gives them).
    QList<IniEntry> readSection(QStringView section) const;
    QStringList sectionNames() const { return document_.sectionNames(); }

    // Each writes one key and returns once the file on disk holds it.
    [[nodiscard]] ProfileStatus writeString(QStringView section, QStringView key, QStringView value);
    // Written as signed decimal.
    [[nodiscard]] ProfileStatus writeInteger(QStringView section, QStringView key, int value);
    // Written as "1" or "0".
    [[nodiscard]] ProfileStatus writeBool(QStringView section, QStringView key, bool value);
    // Writes all keys, in order, with one replacement of the file: afterwards the file reads exactly as after
    // writing them one by one, but a failure leaves none of them written.
    [[nodiscard]] ProfileStatus write(const QList<ProfileWrite> &writes);

private:
    QString path_;
    IniDocument document_;
    ProfileStatus readStatus_;
    bool exists_ = false;
};

// Reads the document at path. A missing file gives an empty document and ok; *exists tells which it was.
ProfileStatus readIniDocument(const QString &path, IniDocument &document, bool *exists = nullptr);
