// Folder import timings. `import_10k_s`: "Open Folder..." on a tree of 10,000 small MP3 files in 100 folders
// into an empty library, from the folder browser's answer to the rebuilt tree and menu and the first song
// opened, in seconds (median of five runs, each into a new library folder). Every library file is flushed to
// disk, so the figure includes the disk's flush time. For comparison, the same import done with the library
// store's operations one file at a time (as the import was first designed) on 500 files, and the batched
// import of those 500.

#include "app/ui/app_windows.h"
#include "app/ui/form_main.h"
#include "library/ui/library_views.h"
#include "playback/now_playing.h"
#include "library/import/folder_import.h"
#include "library/store/library_store.h"
#include "tools/scripted_answers.h"
#include "playback/XaudioPlayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kFolders = 100;
constexpr int kSongsPerFolder = 100;
constexpr int kRuns = 5;
constexpr int kOneByOneSongs = 500;

void print(const char *name, double value)
{
    std::printf("%s: %.3f\n", name, value);
    std::fflush(stdout);
}

// A small MP3 file: a few silent MPEG-1 layer III frames (128 kbit/s, 44.1 kHz, 417 bytes each).
QByteArray smallMp3()
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    frame[3] = char(0x64);
    return frame.repeated(4);
}

// `folders` folders of `songs` songs below root; every song is a hard link to one file.
void makeTree(const QString &root, int folders, int songs)
{
    const QString source = root + ".source";  // beside the tree, not in it
    QDir().mkpath(root);
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(smallMp3()) < 0)
        qFatal("cannot write %s", qPrintable(source));
    file.close();
    for (int f = 0; f < folders; ++f) {
        const QString folder = QStringLiteral("%1/Artist %2 - Album %2").arg(root).arg(f, 3, 10, QChar('0'));
        QDir().mkpath(folder);
        for (int s = 0; s < songs; ++s) {
            const QString song = QStringLiteral("%1/%2 - Song Title %2.mp3").arg(folder).arg(s + 1, 2, 10, QChar('0'));
            if (::link(QFile::encodeName(source).constData(), QFile::encodeName(song).constData()) != 0)
                qFatal("cannot link %s", qPrintable(song));
        }
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Shell::ScriptedAnswers answers;  // nothing should be shown; any message is counted at the end
    CreateAppWindows();
    form_main->xaudio->OutputOpen(QStringLiteral("test"));
    // The tree's bitmaps lie in the top of the build folder.
    if (const QString build = qEnvironmentVariable("DAK_BUILD_DIR"); !build.isEmpty())
        form_main->Views().TreeImageFolder = form_main->nowPlaying->StateIconFolder = build;
    form_main->settings.Options.openfolderrecursive = true;

    QTemporaryDir music;
    makeTree(music.path() + "/Music", kFolders, kSongsPerFolder);

    std::vector<double> runs;
    for (int run = 0; run < kRuns; ++run) {
        QTemporaryDir library;
        QFile(library.filePath("setlib.dat")).open(QIODevice::WriteOnly);  // an empty library
        form_main->settings.Options.libraryfolder = library.path();
        answers.pushPath(music.path() + "/Music");
        QElapsedTimer timer;
        timer.start();
        Tform_main::ClickMenuItem(form_main->pop_openfolder);
        runs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (form_main->treeview_songlibrary->topLevelItemCount() != kFolders)
            qFatal("the tree shows %d sets", form_main->treeview_songlibrary->topLevelItemCount());
    }
    print("import_10k_s", median(runs));

    // The parts: the search alone, and the import without the window (search, files written, no tree).
    std::vector<double> searches, imports;
    for (int run = 0; run < kRuns; ++run) {
        QStringList found;
        QElapsedTimer timer;
        timer.start();
        import::SearchForFiles(music.path() + "/Music", QStringLiteral("*.*"), true, found);
        searches.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);

        QTemporaryDir library;
        QFile(library.filePath("setlib.dat")).open(QIODevice::WriteOnly);
        LibraryStore store;
        store.setLibraryFolder(library.path());
        timer.restart();
        import::ImportFolder(store, music.path() + "/Music", true, found);
        imports.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    print("import_10k_search_only_s", median(searches));
    print("import_10k_without_tree_s", median(imports));

    // The design's way, one store operation per file, against the batched import on the same 500 files.
    QTemporaryDir few;
    makeTree(few.path() + "/Music", kOneByOneSongs / kSongsPerFolder, kSongsPerFolder);
    QStringList found;
    import::SearchForFiles(few.path() + "/Music", QStringLiteral("*.*"), true, found);
    {
        QTemporaryDir library;
        QFile(library.filePath("setlib.dat")).open(QIODevice::WriteOnly);
        LibraryStore store;
        store.setLibraryFolder(library.path());
        QElapsedTimer timer;
        timer.start();
        store.OpenLibrary();
        for (const QString &file : std::as_const(found)) {
            const QString set = import::SetNameOfFile(file);
            if (!store.DoesSetExist(set))
                store.AddSet(set, -1);
            if (!store.DoesSongExist(file, set))
                store.AddSong(file, set);
        }
        store.SaveLibrary();
        print("import_500_one_by_one_s", static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    {
        QTemporaryDir library;
        QFile(library.filePath("setlib.dat")).open(QIODevice::WriteOnly);
        LibraryStore store;
        store.setLibraryFolder(library.path());
        QStringList result;
        QElapsedTimer timer;
        timer.start();
        import::ImportFolder(store, few.path() + "/Music", true, result);
        print("import_500_batched_s", static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }

    int messages = 0;
    for (const Shell::Request &request : answers.requests()) {
        if (request.kind != Shell::Kind::BrowseFolder) {
            ++messages;
            std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
        }
    }
    print("import_messages_shown", messages);
    DestroyAppWindows();
    return 0;
}
