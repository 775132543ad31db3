#pragma once
// Small file systems for fault tests. The test process moves into a mount namespace of its own (root only),
// so that its mounts are private and vanish with it; each SmallMount is a tmpfs of a few hundred KiB over a
// fresh temporary folder, which can be filled up or made read-only.

#include <QString>
#include <QTemporaryDir>

// Enters a private mount namespace; returns an empty text on success, else why not (the tests then skip).
QString enterPrivateMountNamespace();

class SmallMount {
public:
    explicit SmallMount(int kibibytes = 256);
    ~SmallMount();
    SmallMount(const SmallMount &) = delete;
    SmallMount &operator=(const SmallMount &) = delete;

    bool ok() const { return mounted_; }
    const QString &error() const { return error_; }
    QString path() const { return dir_.path(); }
    QString filePath(const QString &name) const { return dir_.filePath(name); }

    // Writes a filler file until the file system refuses with ENOSPC; false if it never did.
    bool fill();
    // Remounts the file system read-only.
    bool makeReadOnly();

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString error_;
};
