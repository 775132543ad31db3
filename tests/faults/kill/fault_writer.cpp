// Writes the library or the configuration file over and over, step after step of write_plan.h, until it is
// killed (or a minute has passed). Prints "ready" once the first step is on disk. Any failure ends it with
// status 3 and the message on stderr.
//
//   fault_writer library <library folder>
//   fault_writer config <configuration file>

#include "write_plan.h"

#include "library/store/library_store.h"
#include "library/store/library_text.h"
#include "platform/profile/profile_file.h"
#include "platform/shell/shell.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void failed(const QString &why)
{
    std::fprintf(stderr, "fault_writer: %s\n", qPrintable(why));
    std::exit(3);
}

void ready(int step)
{
    if (step == 0) {
        std::printf("ready\n");
        std::fflush(stdout);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        failed(QStringLiteral("usage: fault_writer library|config <path>"));
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    Shell::setAnswerer([](const Shell::Request &request) -> Shell::Answer { failed(request.text); });
    const QDeadlineTimer deadline(60000);

    if (mode == u"library") {
        LibraryStore store;
        store.setLibraryFolder(path);
        // Numbering goes on from the songs that earlier runs added.
        const int start = int(ReadLibraryText(store.SetFilePath(QString::fromLatin1(faultplan::kSet))).lines.size()) -
            faultplan::kInitialSongs;
        for (int n = start; !deadline.hasExpired(); ++n) {
            if (!store.AddSong(faultplan::songPath(n), QString::fromLatin1(faultplan::kSet)))
                failed(QStringLiteral("AddSong failed"));
            ready(n - start);
        }
    } else if (mode == u"config") {
        ProfileFile file(path);
        for (int n = 0; !deadline.hasExpired(); ++n) {
            const ProfileStatus first =
                file.write({{QStringLiteral("Fault"), QStringLiteral("counter"), QString::number(n)},
                            {QStringLiteral("Fault"), QStringLiteral("payload"), faultplan::payload(n)}});
            if (!first.ok())
                failed(first.error);
            const ProfileStatus second =
                file.writeString(u"LastOpened", u"LastOpenedLibrarySongTitle", faultplan::songTitle(n));
            if (!second.ok())
                failed(second.error);
            ready(n);
        }
    } else {
        failed(QStringLiteral("unknown mode ") + mode);
    }
    return 0;
}
