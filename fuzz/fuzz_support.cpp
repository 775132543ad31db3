#include "fuzz_support.h"

#include "platform/shell/shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

QString &lastMessageText()
{
    static QString text;
    return text;
}

void initialize()
{
    static int argc = 1;
    static char name[] = "dak-fuzz";
    static char *argv[] = {name, nullptr};
    // Never destroyed: at exit Qt's own globals are gone before a static object's destructor would run.
    if (!QCoreApplication::instance())
        (void)new QCoreApplication(argc, argv);
    // Errors go to a recorder, never to a dialog: there is no screen.
    Shell::setAnswerer([](const Shell::Request &request) {
        lastMessageText() = request.text;
        return Shell::Answer{};
    });
}

const QString &scratchFolder()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/dak-fuzz-XXXXXX")
                                                                       : QDir::tempPath() + "/dak-fuzz-XXXXXX");
    static const QString path = dir.path();
    return path;
}

QString scratchPath(const QString &name) { return scratchFolder() + u'/' + name; }

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void clearScratch()
{
    QDir dir(scratchFolder());
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        const QString path = dir.filePath(entry);
        if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
            QDir(path).removeRecursively();
        else
            QFile::remove(path);
    }
}

void fail(const char *file, int line, const char *condition, const QString &detail)
{
    std::fprintf(stderr, "\n%s:%d: invariant broken: %s\n  %s\n", file, line, condition, qPrintable(detail));
    std::fflush(stderr);
    std::abort();
}

QString shown(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return text;
}

QString shown(const QString &text) { return shown(text.toUtf8()); }

}  // namespace fuzz
