// The first cut of the main window's transport: opening a song, Play, Pause and Stop, and playing what is
// opened. The full playback control and now-playing display replace this file.

#include "app/window/form_main.h"
#include "playback/XaudioPlayer.h"

#include <QLabel>

void Tform_main::BindPlaybackEvents()
{
    xaudio->OnNotifyInputState = [this](TXaudioPlayer *, qint32 State) {
        song_opened = State == XA_INPUT_STATE_OPEN;
        if (song_opened && settings.Options.autoplayonopen)
            xaudio->Play();
    };
    xaudio->OnNotifyPlayerState = [this](TXaudioPlayer *, qint32 State) {
        playing = State == XA_PLAYER_STATE_PLAYING;
    };
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
    if (SongTitle != QLatin1String("Song Title unknown."))
        ApplicationTitle = SongTitle + QStringLiteral(" - DAK-MP3");
}

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
void Tform_main::pop_rewindClick() {}
void Tform_main::pop_fastforwardClick() {}
void Tform_main::pop_SetRewindTimeClick() {}
void Tform_main::pop_SetFastForwardTimeClick() {}
void Tform_main::pop_releaseon_stopClick() {}
void Tform_main::pop_releaseon_pauseClick() {}
void Tform_main::pop_releaseon_eofClick() {}
void Tform_main::pop_audiodrivertreatment_activateClick() {}
void Tform_main::speedbutton_playClick() { ClickMenuItem(pop_play); }
void Tform_main::speedbutton_pauseClick() { ClickMenuItem(pop_pause); }
void Tform_main::speedbutton_stopClick() { ClickMenuItem(pop_stop); }
void Tform_main::speedbutton_previoussongClick() {}
void Tform_main::speedbutton_nextsongClick() {}
void Tform_main::trackbar_songChange() {}
