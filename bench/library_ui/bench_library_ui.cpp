// The main window's library views on a large library: 1,000 sets of 100 songs in a temporary folder.
//   create_library_menu_ms: CreateLibraryMenu, rebuilding tree and "Song Library" submenu over the previous
//                           build (pictures, clearing, reading the files, building both views);
//   state_mark_ms:          one player-state update of the marks: every tree node and every library menu
//                           entry cleared, then the current song marked in the tree and checked in the menu,
//                           through the views' index;
//   state_mark_walk_ms:     the same by plain walks over every node and entry, for comparison.
// Each figure is the median of several runs after one warm-up run, in milliseconds; the *_cpu_ms figures are
// the processor time the process spent, which a busy machine does not inflate.

#include "app/ui/form_main.h"
#include "library/ui/library_views.h"
#include "library/store/library_text.h"
#include "platform/profile/atomic_file.h"
#include "library/ui/library_marks.h"
#include "tools/scripted_answers.h"
#include "tools/library_walks.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kSets = 1000;
constexpr int kSongsPerSet = 100;

double CpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Timing {
    double wallMs;
    double cpuMs;
};

// Medians of the wall-clock time and of the processor time the process used.
Timing median(const std::function<void()> &run, int runs)
{
    run();
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double cpuStart = CpuMs();
        timer.start();
        run();
        wall.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        cpu.push_back(CpuMs() - cpuStart);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void print(const char *name, const Timing &timing)
{
    std::printf("%s_ms: %.2f\n%s_cpu_ms: %.2f\n", name, timing.wallMs, name, timing.cpuMs);
    std::fflush(stdout);
}

void write(const QString &path, const QStringList &lines)
{
    if (const QString error = writeFileAtomically(path, EncodeLibraryText(lines)); !error.isEmpty())
        qFatal("%s", qPrintable(error));
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Shell::ScriptedAnswers answers;  // no dialog may stop the run

    QTemporaryDir folder;
    QStringList sets;
    for (int s = 0; s < kSets; ++s) {
        const QString name = QStringLiteral("Artist %1 - Album %2").arg(s / 10).arg(s);
        sets.append(name);
        QStringList songs;
        for (int i = 0; i < kSongsPerSet; ++i)
            songs.append(QStringLiteral("Track %1 of %2=/home/user/Music/%2/Track %1.mp3").arg(i).arg(name));
        write(folder.filePath(name + QStringLiteral(".set")), songs);
    }
    write(folder.filePath(QStringLiteral("setlib.dat")), sets);

    Tform_main window;
    form_main = &window;
    window.settings.Options.libraryfolder = folder.path();
    const QByteArray build = qgetenv("DAK_BUILD_DIR");
    window.Views().TreeImageFolder = build.isEmpty()
        ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../.."))
        : QString::fromLocal8Bit(build);

    print("create_library_menu", median([&] { window.CreateLibraryMenu(); }, 5));

    // A song in the middle of the library; its title is unique, its set the 500th.
    const QString set = sets.at(kSets / 2);
    const QString title = QStringLiteral("Track 50 of %1").arg(set);
    window.label_setname->setText(set);
    window.label_songtitle->setText(title);
    int state = 0;
    print("state_mark",
          median(
              [&] {
                  // As the now-playing display does on every player state: clear all marks,
                  // then mark the song, through the views' index.
                  state = state % 3 + 1;
                  library::ClearSongMarks(window.treeview_songlibrary);
                  library::UncheckLibraryMenu(window.pop_songlibrary);
                  library::MarkSongs(window.treeview_songlibrary, title, state);
                  library::CheckLibraryMenu(window.pop_songlibrary, set, title);
              },
              21));
    library::ClearSongMarks(window.treeview_songlibrary);
    library::UncheckLibraryMenu(window.pop_songlibrary);
    // The same with plain walks over every node and entry, for comparison.
    print("state_mark_walk",
          median(
              [&] {
                  state = state % 3 + 1;
                  playback::ClearSongMarks(window.treeview_songlibrary);
                  playback::UncheckLibraryMenu(window.pop_songlibrary);
                  playback::MarkSongs(window.treeview_songlibrary, title, state);
                  playback::CheckLibraryMenu(window.pop_songlibrary, set, title);
              },
              21));
    form_main = nullptr;
    return 0;
}
