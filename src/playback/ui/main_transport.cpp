// The main window's transport: opening a file or URL, Play, Pause and Stop, the seek bar, rewind and fast
// forward and the audio driver release options. What the player reports goes to the player-state model
// (nowPlaying); the window shows it in main_nowplaying.cpp.
//
// Every transport command is the click of a popup menu item; the speed buttons click the items, so an item
// that is disabled ignores its button too.

#include "app/ui/form_main.h"
#include "platform/shell/shell.h"
#include "playback/now_playing.h"
#include "playback/XaudioPlayer.h"
#include "playback/transport_logic.h"

#include <QAction>
#include <QLabel>
#include <QSlider>

using namespace playback;

namespace {

// Asks for a new jump time in seconds, starting from `seconds`; a text that is no number is reported and
// leaves the time as it was.
void AskSeconds(const QString &title, const QString &prompt, int &seconds, QWidget *parent)
{
    const QString text = Shell::inputBox(title, prompt, QString::number(seconds), parent);
    if (const std::optional<int> value = ParseSeconds(text))
        seconds = *value;
    else
        Shell::errorBox(NotAnIntegerText(text), parent);
}

}  // namespace

void Tform_main::OpenMP3(const QString &FileName, const QString &SetName, const QString &SongTitle)
{
    nowPlaying->Open(FileName, SetName, SongTitle);
}

// ---- Play, Pause, Stop ---------------------------------------------------------------------------------

void Tform_main::pop_playClick() { nowPlaying->Play(); }

void Tform_main::pop_pauseClick() { nowPlaying->Pause(); }

void Tform_main::pop_stopClick() { nowPlaying->Stop(); }

void Tform_main::speedbutton_playClick() { ClickMenuItem(pop_play); }

void Tform_main::speedbutton_pauseClick() { ClickMenuItem(pop_pause); }

void Tform_main::speedbutton_stopClick() { ClickMenuItem(pop_stop); }

void Tform_main::speedbutton_previoussongClick() { ClickMenuItem(pop_previoussong); }

void Tform_main::speedbutton_nextsongClick() { ClickMenuItem(pop_nextsong); }

// ---- Seek bar, rewind, fast forward ------------------------------------------------------------------------

void Tform_main::trackbar_songChange()
{
    nowPlaying->Seek(static_cast<quint32>(trackbar_song->value()), static_cast<quint32>(trackbar_song->maximum()));
}

void Tform_main::pop_rewindClick()
{
    const SeekStep step = RewindStep(trackbar_song->value(), trackbar_song->maximum(), settings.Options.RewindTime,
                                     nowPlaying->Duration());
    if (step.kind == SeekStep::Kind::Nothing)
        return;  // no length reported yet: there is nothing to jump by
    nowPlaying->Seek(step.offset, step.range);
    OfferMiniInfo();
}

void Tform_main::pop_fastforwardClick()
{
    const SeekStep step = FastForwardStep(trackbar_song->value(), trackbar_song->maximum(),
                                          settings.Options.FastForwardTime, nowPlaying->Duration());
    if (step.kind == SeekStep::Kind::Nothing)
        return;  // no length reported yet: there is nothing to jump by
    if (step.kind == SeekStep::Kind::Stop)
        ClickMenuItem(pop_stop);  // past the end
    else
        nowPlaying->Seek(step.offset, step.range);
    OfferMiniInfo();
}

void Tform_main::pop_SetRewindTimeClick()
{
    AskSeconds(QStringLiteral("Rewind Time - DAK-MP3"), QStringLiteral("Set new Rewind Time in seconds: "),
               settings.Options.RewindTime, this);
}

void Tform_main::pop_SetFastForwardTimeClick()
{
    AskSeconds(QStringLiteral("FastForward Time - DAK-MP3"), QStringLiteral("Set new FastForward Time in seconds: "),
               settings.Options.FastForwardTime, this);
}

// ---- Audio driver treatment ----------------------------------------------------------------------------
// The check items flip their marks before these run; the player gets the new policy only with "Activate the
// above settings now".

void Tform_main::pop_releaseon_stopClick() { settings.Audio.ReleaseOnStop = pop_releaseon_stop->isChecked(); }

void Tform_main::pop_releaseon_pauseClick() { settings.Audio.ReleaseOnPause = pop_releaseon_pause->isChecked(); }

void Tform_main::pop_releaseon_eofClick() { settings.Audio.ReleaseOnEOF = pop_releaseon_eof->isChecked(); }

void Tform_main::pop_audiodrivertreatment_activateClick()
{
    xaudio->SetPlayerMode(
        PlayerMode(settings.Audio.ReleaseOnStop, settings.Audio.ReleaseOnPause, settings.Audio.ReleaseOnEOF));
}
