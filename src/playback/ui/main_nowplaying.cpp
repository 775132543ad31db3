// The main window's now-playing display, a listener of the player-state model: the stream description, the
// current time travelling under the seek bar's thumb, the length, and on every player state the transport
// buttons, the state icon in the window and the tray, the marks in the library tree and menu, and at end of
// file the step to the next song.

#include "app/ui/form_main.h"
#include "platform/shell/shell.h"
#include "playback/now_playing.h"
#include "playback/XaudioPlayer.h"
#include "playback/ui/icon_file.h"
#include "library/ui/library_marks.h"
#include "playback/transport_logic.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <limits>

using namespace playback;

void Tform_main::BindPlaybackEvents()
{
    nowPlaying->BindPlayerEvents();
    ConnectNowPlaying();
}

void Tform_main::ConnectNowPlaying()
{
    if (m_nowPlayingConnected)
        return;
    m_nowPlayingConnected = true;
    nowPlaying->AutoplayOnOpen = [this] { return settings.Options.autoplayonopen; };
    connect(nowPlaying, &NowPlaying::songOpened, this, &Tform_main::ShowSongOpened);
    connect(nowPlaying, &NowPlaying::enablingChanged, this, &Tform_main::ShowEnabling);
    connect(nowPlaying, &NowPlaying::stateChanged, this, &Tform_main::ShowPlayerState);
    connect(nowPlaying, &NowPlaying::positionChanged, this, &Tform_main::ShowPosition);
    connect(nowPlaying, &NowPlaying::timeChanged, this, &Tform_main::ShowTime);
    // Bound before the panels exist: the labels are looked up when a report comes.
    connect(nowPlaying, &NowPlaying::durationChanged, this,
            [this](quint32, const QString &text) { label_length->setText(text); });
    connect(nowPlaying, &NowPlaying::streamInfoChanged, this,
            [this](const QString &text) { label_songdata->setText(text); });
    connect(nowPlaying, &NowPlaying::displayTitleChanged, this, &Tform_main::ShowDisplayTitle);
    connect(nowPlaying, &NowPlaying::errorToShow, this, &Tform_main::ShowError);
}

// ---- The player's reports, forwarded to the model ---------------------------------------------------------

void MainPlayerEvents::xaudioNotifyInputState(TXaudioPlayer *, qint32 State) { nowPlaying->InputState(State); }

void MainPlayerEvents::xaudioNotifyNack(TXaudioPlayer *, quint8 Command, qint16 Code)
{
    nowPlaying->Nack(Command, Code);
}

void MainPlayerEvents::xaudioNotifyInputPosition(TXaudioPlayer *, quint32 Offset, quint32 Range)
{
    nowPlaying->InputPosition(Offset, Range);
}

void MainPlayerEvents::xaudioNotifyInputStreamInfo(TXaudioPlayer *, quint8 Level, quint8 Layer, quint16 Bitrate,
                                                   quint16 Frequency, quint8 Mode)
{
    nowPlaying->InputStreamInfo(Level, Layer, Bitrate, Frequency, Mode);
}

void MainPlayerEvents::xaudioNotifyInputTimecode(TXaudioPlayer *, quint8 Hours, quint8 Minutes, quint8 Seconds, quint8)
{
    nowPlaying->InputTimecode(Hours, Minutes, Seconds);
}

void MainPlayerEvents::xaudioNotifyInputDuration(TXaudioPlayer *, quint32 Duration)
{
    nowPlaying->InputDuration(Duration);
}

void MainPlayerEvents::xaudioNotifyPlayerState(TXaudioPlayer *, qint32 State) { nowPlaying->PlayerState(State); }

// ---- What the window shows ---------------------------------------------------------------------------------

void Tform_main::ShowSongOpened(const QString &FileName, const QString &SetName, const QString &SongTitle)
{
    label_filename->setText(FileName);
    label_setname->setText(SetName);
    label_songtitle->setText(SongTitle);
    settings.LastOpened.LastOpenedLibrarySetName = SetName;
    settings.LastOpened.LastOpenedLibrarySongTitle = SongTitle;

    // The song is marked as playing in every set that holds its title.
    library::ClearSongMarks(treeview_songlibrary);
    if (SongTitle != kTitleUnknown)
        library::MarkSongs(treeview_songlibrary, SongTitle, TreeStateIndex(kPlaying));
}

void Tform_main::ShowEnabling(bool Play, bool Pause, bool Stop, bool ButtonsToo)
{
    pop_play->setEnabled(Play);
    pop_pause->setEnabled(Pause);
    pop_stop->setEnabled(Stop);
    // After an input state only the menu items change; the speed buttons follow the player state.
    if (!ButtonsToo)
        return;
    speedbutton_play->setEnabled(Play);
    speedbutton_pause->setEnabled(Pause);
    speedbutton_stop->setEnabled(Stop);
}

void Tform_main::ShowPlayerState(qint32 State, const QString &IconPath)
{
    const QIcon icon = LoadIconFile(IconPath);
    // On a failure the picture keeps the icon it shows; the display goes on without the new one.
    if (!icon.isNull())
        SetImage1Icon(icon);
    else
        nowPlaying->ReportStateIconFailure(IconPath);
    // The tip names what the title line shows; the marks go by the library title, which the line shows
    // unless a stream shows its own title there. The set is the one the window shows: choosing a random set
    // names it there before its song opens.
    const QString shown = label_songtitle->text();
    TaskBarModifyIcon(NowPlayingTip(shown, State, kTrayTipMax));
    const bool streamTitleShown = !nowPlaying->StreamTitle().isEmpty() && shown == nowPlaying->StreamTitle();
    const QString title = streamTitleShown ? nowPlaying->Title() : shown;
    library::ClearSongMarks(treeview_songlibrary);
    library::UncheckLibraryMenu(pop_songlibrary);
    if (title != kTitleUnknown) {
        library::MarkSongs(treeview_songlibrary, title, TreeStateIndex(State));
        library::CheckLibraryMenu(pop_songlibrary, label_setname->text(), title);
    }

    if (State == kPlaying)
        OfferMiniInfo();
    if (State == kEndOfFile)
        ClickMenuItem(pop_nextsong);
}

void Tform_main::ShowPosition(quint32 Offset, quint32 Range)
{
    // Positions set from here are not the user's moves: the seek bar sends nothing back.
    constexpr quint32 kMostSteps = static_cast<quint32>(std::numeric_limits<int>::max());
    trackbar_song->setMaximum(static_cast<int>(std::min(Range, kMostSteps)));
    trackbar_song->setValue(static_cast<int>(std::min(Offset, kMostSteps)));
}

void Tform_main::ShowTime(const QString &Time, const QString &TimeLine)
{
    label_currenttime->setText(Time);
    const QRect bar = trackbar_song->geometry();
    if (const std::optional<int> left =
            TimeLabelLeft(trackbar_song->value(), trackbar_song->maximum(), bar.left(), bar.width()))
        label_currenttime->move(*left, label_currenttime->y());
    ShowMiniInfoTimeLine(TimeLine);
}

void Tform_main::ShowDisplayTitle(const QString &Title)
{
    label_songtitle->setText(Title);
    TaskBarModifyIcon(nowPlaying->Tip(kTrayTipMax));
}

void Tform_main::ShowError(const QString &Text) { Shell::errorBox(Text, this); }
