#pragma once
// A library folder in a temporary directory, with a store bound to it and the user's answers scripted.

#include "library/store/library_store.h"
#include "tools/scripted_answers.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class LibraryFixture {
public:
    LibraryFixture();

    QString path(const QString &name) const { return dir_.filePath(name); }
    QString folder() const { return dir_.path(); }

    void put(const QString &name, const QByteArray &bytes) const;
    QByteArray contents(const QString &name) const;  // "<missing>" when there is no such file
    bool exists(const QString &name) const;
    quint64 inode(const QString &name) const;  // changes when a file is replaced, not when it is left alone
    QStringList entries() const;               // everything in the folder, hidden files included

    LibraryStore store;
    Shell::ScriptedAnswers answers;

private:
    QTemporaryDir dir_;
};
