// "Open File...", "Open URL..." and "Open Folder...": a single file or a URL is played as it is, outside the
// library; a folder's MP3 files are imported into the library, whose tree and menu are then rebuilt, and the
// first song of the set of the first file found is played.

#include "app/ui/form_main.h"
#include "library/ui/form_progress.h"
#include "library/import/folder_import.h"
#include "library/store/library_store.h"
#include "library/store/library_text.h"
#include "platform/shell/shell.h"
#include "playback/ui/form_openurl.h"
#include "playback/transport_logic.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QPointer>

#include <memory>

namespace {

// Files added between two commits of the library files: a cancel keeps what was committed, plus what was
// handled up to the cancel.
constexpr qsizetype kCommitEvery = 1000;

// The files found by the last folder search, in the order found; kept until the next search.
QStringList SearchResult;
// Set while a folder import runs: its progress dialog lets events through, and a second import (from a
// hotkey, say) must not start in the middle of the first.
bool ImportRunning = false;

struct RunningImport {
    RunningImport() { ImportRunning = true; }
    ~RunningImport() { ImportRunning = false; }
    RunningImport(const RunningImport &) = delete;
    RunningImport &operator=(const RunningImport &) = delete;
};

}  // namespace

void Tform_main::pop_openfileClick()
{
    // The file dialog starts in the folder it was last left in. It belongs to this window only while the
    // window shows; from the tray it stands alone.
    const QString file = Shell::openFileDialog(QStringLiteral("Open"), QString(), isVisible() ? this : nullptr);
    if (!file.isEmpty())
        OpenMP3(file, playback::kSetUnknown, playback::kTitleUnknown);
}

void Tform_main::pop_openurlClick() { form_openurl->ShowOpenUrl(); }

void Tform_main::pop_openfolderClick()
{
    if (ImportRunning)
        return;
    const QString folder = Shell::BrowseForFolder(QStringLiteral("Open Folder..."));
    if (folder.isEmpty())
        return;

    LibraryStore &library = Library();
    import::FolderImportResult result;
    {
        const RunningImport running;
        TLibraryProgress progress(QStringLiteral("progress_openfolder"), QStringLiteral("Open Folder - DAK-MP3"));
        import::ImportOptions options;
        options.commitEvery = kCommitEvery;
        options.progress = [&progress](qsizetype handled, qsizetype total) { return progress.adding(handled, total); };
        result = import::ImportFolder(library, folder, settings.Options.openfolderrecursive, SearchResult, options,
                                      [&progress](qsizetype found) { return progress.searching(found); });
    }

    if (result.end == import::ImportEnd::NothingFound) {
        Shell::errorBox(import::NothingFoundText(folder), isVisible() ? this : nullptr);
        return;
    }
    // What was added stays, also when the import was cancelled or stopped by a failure; the tree and menu show
    // it. Without any change (cancelled while searching, or the first file failed) they stay as they are.
    if (result.changed || result.end == import::ImportEnd::Done)
        CreateLibraryMenu();
    if (result.end != import::ImportEnd::Done)
        return;

    library.OpenSet(result.firstSet);
    if (library.songs().isEmpty())
        return;  // the set ended up without songs: nothing to play
    const QString first = library.songs().constFirst();
    label_setname->setText(result.firstSet);
    ClickMenuItem(pop_stop);
    OpenMP3(SongPath(first), result.firstSet, SongTitle(first));
    // Play whatever the auto-play option says. The handler is called, not the item clicked: the item still
    // shows the state from before the stop (disabled while a song played) until the player reports the stop.
    pop_playClick();
}
