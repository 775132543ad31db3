// The main window's transport: opening a file or URL, Play, Pause and Stop, the seek bar, rewind and fast
// forward, the audio driver release options, and the player's input-state and refusal reports.
//
// Every transport command is the click of a popup menu item; the speed buttons click the items, so an item
// that is disabled ignores its button too.

#include "app/window/form_main.h"
#include "platform/shell/Shell.h"
#include "playback/XaudioPlayer.h"
#include "library/LibraryMarks.h"
#include "playback/transport_logic.h"

#include <QAction>
#include <QLabel>
#include <QSlider>

#include <algorithm>
#include <functional>
#include <limits>

using namespace playback;

namespace {

void EnableTransportItems(Tform_main &form, const TransportEnabling &enabling)
{
    form.pop_play->setEnabled(enabling.play);
    form.pop_pause->setEnabled(enabling.pause);
    form.pop_stop->setEnabled(enabling.stop);
}

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

void Tform_main::BindPlaybackEvents()
{
    xaudio->OnNotifyInputState = std::bind_front(&Tform_main::xaudioNotifyInputState, this);
    xaudio->OnNotifyNack = std::bind_front(&Tform_main::xaudioNotifyNack, this);
    xaudio->OnNotifyInputPosition = std::bind_front(&Tform_main::xaudioNotifyInputPosition, this);
    xaudio->OnNotifyInputStreamInfo = std::bind_front(&Tform_main::xaudioNotifyInputStreamInfo, this);
    xaudio->OnNotifyInputTimecode = std::bind_front(&Tform_main::xaudioNotifyInputTimecode, this);
    xaudio->OnNotifyInputDuration = std::bind_front(&Tform_main::xaudioNotifyInputDuration, this);
    xaudio->OnNotifyPlayerState = std::bind_front(&Tform_main::xaudioNotifyPlayerState, this);
}

void Tform_main::OpenMP3(const QString &FileName, const QString &SetName, const QString &SongTitle)
{
    xaudio->InputOpen(FileName);
    label_filename->setText(FileName);
    song_opened = true;
    label_setname->setText(SetName);
    label_songtitle->setText(SongTitle);
    settings.LastOpened.LastOpenedLibrarySetName = SetName;
    settings.LastOpened.LastOpenedLibrarySongTitle = SongTitle;

    // The song is marked as playing in every set that holds its title.
    library::ClearSongMarks(treeview_songlibrary);
    if (SongTitle != kTitleUnknown) {
        library::MarkSongs(treeview_songlibrary, SongTitle, TreeStateIndex(kPlaying));
        ApplicationTitle = SongTitle + QStringLiteral(" - ") + kProgramTitle;
    }
}

// ---- Play, Pause, Stop ---------------------------------------------------------------------------------

void Tform_main::pop_playClick()
{
    xaudio->Play();
    playing = true;
}

void Tform_main::pop_pauseClick()
{
    xaudio->Pause();
    playing = false;
}

void Tform_main::pop_stopClick()
{
    xaudio->Stop();
    playing = false;
}

void Tform_main::speedbutton_playClick()
{
    ClickMenuItem(pop_play);
}

void Tform_main::speedbutton_pauseClick()
{
    ClickMenuItem(pop_pause);
}

void Tform_main::speedbutton_stopClick()
{
    ClickMenuItem(pop_stop);
}

void Tform_main::speedbutton_previoussongClick()
{
    ClickMenuItem(pop_previoussong);
}

void Tform_main::speedbutton_nextsongClick()
{
    ClickMenuItem(pop_nextsong);
}

// ---- The player's reports --------------------------------------------------------------------------------

void Tform_main::xaudioNotifyInputState(TXaudioPlayer *, qint32 State)
{
    // Only the menu items change here; the speed buttons follow the player state.
    song_opened = State == kInputOpen;
    const bool autoplay = song_opened && settings.Options.autoplayonopen;
    if (autoplay)
        xaudio->Play();  // the playing flag follows when the player reports that it plays
    EnableTransportItems(*this, EnablingForInputState(State, autoplay));
}

void Tform_main::xaudioNotifyNack(TXaudioPlayer *, quint8 Command, qint16 Code)
{
    const QString text = NackText(Command, Code);
    if (!text.isEmpty())
        Shell::errorBox(text, this);
}

// ---- Seek bar, rewind, fast forward ------------------------------------------------------------------------

void Tform_main::xaudioNotifyInputPosition(TXaudioPlayer *, quint32 Offset, quint32 Range)
{
    // Positions set from here are not the user's moves: the seek bar sends nothing back.
    constexpr quint32 kMostSteps = static_cast<quint32>(std::numeric_limits<int>::max());
    trackbar_song->setMaximum(static_cast<int>(std::min(Range, kMostSteps)));
    trackbar_song->setValue(static_cast<int>(std::min(Offset, kMostSteps)));
}

void Tform_main::trackbar_songChange()
{
    xaudio->InputSeek(static_cast<quint32>(trackbar_song->value()), static_cast<quint32>(trackbar_song->maximum()));
}

void Tform_main::pop_rewindClick()
{
    const SeekStep step =
        RewindStep(trackbar_song->value(), trackbar_song->maximum(), settings.Options.RewindTime, SongDuration);
    if (step.kind == SeekStep::Kind::Nothing)
        return;  // no length reported yet: there is nothing to jump by
    xaudio->InputSeek(step.offset, step.range);
    OfferMiniInfo();
}

void Tform_main::pop_fastforwardClick()
{
    const SeekStep step = FastForwardStep(trackbar_song->value(), trackbar_song->maximum(),
                                          settings.Options.FastForwardTime, SongDuration);
    if (step.kind == SeekStep::Kind::Nothing)
        return;  // no length reported yet: there is nothing to jump by
    if (step.kind == SeekStep::Kind::Stop)
        ClickMenuItem(pop_stop);  // past the end
    else
        xaudio->InputSeek(step.offset, step.range);
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

void Tform_main::pop_releaseon_stopClick()
{
    settings.Audio.ReleaseOnStop = pop_releaseon_stop->isChecked();
}

void Tform_main::pop_releaseon_pauseClick()
{
    settings.Audio.ReleaseOnPause = pop_releaseon_pause->isChecked();
}

void Tform_main::pop_releaseon_eofClick()
{
    settings.Audio.ReleaseOnEOF = pop_releaseon_eof->isChecked();
}

void Tform_main::pop_audiodrivertreatment_activateClick()
{
    xaudio->SetPlayerMode(
        PlayerMode(settings.Audio.ReleaseOnStop, settings.Audio.ReleaseOnPause, settings.Audio.ReleaseOnEOF));
}
