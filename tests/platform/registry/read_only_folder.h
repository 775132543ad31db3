#pragma once
// A folder that no write of this process gets into, root included: a read-only bind mount of the folder
// onto itself, in a mount namespace of the test process's own (so nothing is left mounted when the test
// ends, however it ends). Without root, taking the write permission away does the same.

#include <QString>

// Call first thing in main(), before any thread starts: gives a root process its own mount namespace.
void PrepareReadOnlyFolders();

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    bool ok() const { return ok_; }
    QString why() const { return why_; }  // what failed when !ok()

private:
    QString folder_;
    bool ok_ = false;
    bool mounted_ = false;
    QString why_;
};
