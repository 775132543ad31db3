// Library store timings on a large collection: 2,000 sets and one set of 20,000 songs, in a temporary folder.
// Each figure is the median of several runs after one warm-up run, in milliseconds. Every write is flushed to disk, so the write
// figures include the disk's flush time.

#include "library/store/library_store.h"
#include "library/store/library_text.h"
#include "platform/profile/atomic_file.h"
#include "tools/scripted_answers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kSets = 2000;
constexpr int kBigSet = 20000;
constexpr int kRuns = 7;

double medianMs(const std::function<void()> &run, int runs = kRuns)
{
    run();  // warm-up: the first run also pays for growing the heap
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void print(const char *name, double value)
{
    std::printf("%s: %.3f\n", name, value);
    std::fflush(stdout);
}

void write(const QString &path, const QStringList &lines)
{
    if (const QString error = writeFileAtomically(path, EncodeLibraryText(lines)); !error.isEmpty())
        qFatal("%s", qPrintable(error));
}

QStringList songs(int count, const QString &prefix)
{
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines.append(QStringLiteral("%1 Song %2=/home/user/Music/%1/Album %3/%2 - Song Title.mp3")
                         .arg(prefix)
                         .arg(i)
                         .arg(i / 12));
    return lines;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Shell::ScriptedAnswers answers;  // nothing should be shown; any message is counted at the end
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';

    QStringList sets;
    for (int i = 0; i < kSets; ++i)
        sets.append(QStringLiteral("Set %1").arg(i, 4, 10, QChar(u'0')));
    sets.insert(kSets / 2, QStringLiteral("Big"));
    sets.append(QStringLiteral("Empty"));  // listed, no file: found by a scan of the folder
    write(folder + "setlib.dat", sets);
    for (int i = 0; i < kSets; ++i)
        write(folder + sets.at(i < kSets / 2 ? i : i + 1) + ".set", songs(10, QString::number(i)));
    const QStringList big = songs(kBigSet, QStringLiteral("Big"));
    write(folder + "Big.set", big);

    LibraryStore store;
    store.setLibraryFolder(folder);

    print("library_load_2001_sets_ms", medianMs([&] { store.OpenLibrary(); }));
    print("library_open_set_20000_songs_ms", medianMs([&] { store.OpenSet("Big"); }));
    print("library_open_set_without_file_ms", medianMs([&] { store.OpenSet("Empty"); }));

    // The same set written by an older version, with 8-bit lines mixed in: read line by line.
    QStringList legacy = big;
    for (int i = 0; i < legacy.size(); i += 100)
        legacy[i] += QStringLiteral(" caf\u00e9");
    QByteArray legacyBytes;
    for (const QString &line : legacy)
        legacyBytes += line.toLatin1() + "\r\n";
    if (const QString error = writeFileAtomically(folder + "Legacy.set", legacyBytes); !error.isEmpty())
        qFatal("%s", qPrintable(error));
    print("library_open_set_20000_songs_windows1252_ms", medianMs([&] { store.OpenSet("Legacy"); }));

    print("library_does_set_exist_miss_2001_sets_ms", medianMs([&] { store.DoesSetExist("no such set"); }));
    print("library_does_song_exist_miss_20000_songs_ms",
          medianMs([&] { store.DoesSongExist("/home/user/Music/none.mp3", "Big"); }));

    store.OpenSet("Big");
    print("library_save_set_20000_songs_ms", medianMs([&] { store.SaveCurrentSet(); }));
    print("library_save_2001_sets_ms", medianMs([&] { store.SaveLibrary(); }));
    print("library_add_song_to_20000_song_set_ms",
          medianMs([&] { store.AddSong("/home/user/Music/New/added.mp3", "Big"); }));
    bool renamed = false;
    print("library_rename_song_in_20000_song_set_ms", medianMs([&] {
              const QString a = QStringLiteral("Big Song 19999"), b = QStringLiteral("Renamed Song");
              store.RenameSong(renamed ? b : a, renamed ? a : b, "Big", "/elsewhere.mp3");
              renamed = !renamed;
          }));
    print("library_remove_song_from_20000_song_set_ms", medianMs([&] { store.RemoveSong("added", "Big"); }));
    print("library_add_remove_set_among_2001_ms", medianMs([&] {
              store.AddSet("Bench Set", 5);
              store.RemoveSet("Bench Set");
          }));
    print("library_rename_set_twice_among_2001_ms", medianMs([&] {
              store.RenameSet("Set 0007", "Renamed");
              store.RenameSet("Renamed", "Set 0007");
          }));

    // A folder import of 500 songs into a new set: the check-and-add cycle for each found file.
    print("library_import_500_songs_ms",
          medianMs(
              [&] {
                  store.OpenLibrary();
                  for (int i = 0; i < 500; ++i) {
                      const QString file = QStringLiteral("/import/Imported/%1.mp3").arg(i);
                      if (!store.DoesSetExist("Imported"))
                          store.AddSet("Imported", -1);
                      if (!store.DoesSongExist(file, "Imported"))
                          store.AddSong(file, "Imported");
                  }
                  store.RemoveSet("Imported");
              },
              3));

    print("library_messages_shown", static_cast<double>(answers.texts().size()));
    return 0;
}
