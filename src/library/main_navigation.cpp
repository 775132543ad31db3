// Song navigation: "Next Song", "Previous Song", "Play Random Song" and "Play Random Set". Sequential steps work
// on the library set and title of the song opened last (nowPlaying's, not the title line, which shows a
// stream's own title while it reports one) and on the library files; no position is kept between commands.
// Sequential steps never leave the current set. A random song is drawn from the set the window names, which
// "Play Random Set" sets before its song opens.
// The speed buttons, the hotkeys and the end of a song reach these by clicking their menu items.

#include "app/window/form_main.h"
#include "library/RandomDraw.h"
#include "library/SongSteps.h"
#include "library/store/LibraryStore.h"
#include "library/store/LibraryText.h"
#include "playback/NowPlaying.h"
#include "playback/transport_logic.h"

#include <QLabel>

using namespace library;

namespace {

// Opens the song `step` away from the current one in the current set; nothing when there is no current
// library song or its title is not in the set (any more).
void StepThroughSet(Tform_main *window, SongStep step)
{
    const QString setName = window->nowPlaying->SetName();
    const QString title = window->nowPlaying->Title();
    if (setName == playback::kSetUnknown || title == playback::kTitleUnknown)
        return;
    LibraryStore &library = window->Library();
    library.OpenSet(setName);
    const int index = SteppedSongIndex(library.songs(), title, step);
    if (index < 0)
        return;
    const QString line = library.songs().at(index);
    window->OpenMP3(SongPath(line), setName, SongTitle(line));
}

void Navigate(Tform_main *window, SongStep step)
{
    Tform_main::ClickMenuItem(window->pop_stop);
    if (window->settings.Options.randomsong) {
        if (window->settings.Options.randomset)
            window->pop_playrandomsetClick();
        else
            window->pop_playrandomsongClick();
    } else {
        StepThroughSet(window, step);
    }
    window->ShowMiniInfo(true);
}

}  // namespace

void Tform_main::pop_nextsongClick()
{
    Navigate(this, SongStep::Next);
}

void Tform_main::pop_previoussongClick()
{
    Navigate(this, SongStep::Previous);
}

void Tform_main::pop_playrandomsongClick()
{
    ClickMenuItem(pop_stop);
    const QString setName = label_setname->text();
    if (setName == playback::kSetUnknown) {
        pop_playrandomsetClick();  // chooses a set, then a song of it
        return;
    }
    PlayRandomSongOfSet(setName);
}

void Tform_main::pop_playrandomsetClick()
{
    LibraryStore &library = Library();
    // Runs at every end of a song while random play is on: a library that does not exist yet is told once,
    // not after every song.
    library.OpenLibrary(LibraryStore::MissingLibrary::TellOnce);
    const int index = DrawRandomIndex(static_cast<int>(library.setNames().size()));
    if (index < 0)
        return;  // no sets: nothing to play
    const QString setName = library.setNames().at(index);
    label_setname->setText(setName);
    ClickMenuItem(pop_stop);
    // The chosen set is played even when its name is the text that stands for no set.
    PlayRandomSongOfSet(setName);
}

void Tform_main::PlayRandomSongOfSet(const QString &setName)
{
    LibraryStore &library = Library();
    library.OpenSet(setName);
    const int index = DrawRandomIndex(static_cast<int>(library.songs().size()));
    if (index < 0)
        return;  // an empty set: nothing to play
    const QString line = library.songs().at(index);
    OpenMP3(SongPath(line), setName, SongTitle(line));
}
