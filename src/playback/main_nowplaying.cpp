// The main window's now-playing display: the stream description, the current time travelling under the seek
// bar's thumb, the length, and on every player state the transport buttons, the state icon in the window and
// the tray, the marks in the library tree and menu, and at end of file the step to the next song.

#include "app/window/form_main.h"
#include "platform/shell/Shell.h"
#include "playback/XaudioPlayer.h"
#include "playback/icon_file.h"
#include "library/LibraryMarks.h"
#include "playback/transport_logic.h"
#include "config/locations.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QToolButton>

using namespace playback;

void Tform_main::xaudioNotifyInputStreamInfo(TXaudioPlayer *, quint8 Level, quint8 Layer, quint16 Bitrate,
                                             quint16 Frequency, quint8 Mode)
{
    if (const std::optional<QString> text = StreamDescription(Level, Layer, Bitrate, Frequency, Mode))
        label_songdata->setText(*text);
}

void Tform_main::xaudioNotifyInputTimecode(TXaudioPlayer *, quint8 Hours, quint8 Minutes, quint8 Seconds, quint8)
{
    const QString time = TimeText(Hours, Minutes, Seconds);
    label_currenttime->setText(time);
    const QRect bar = trackbar_song->geometry();
    if (const std::optional<int> left = TimeLabelLeft(trackbar_song->value(), trackbar_song->maximum(), bar.left(),
                                                      bar.width()))
        label_currenttime->move(*left, label_currenttime->y());
    ShowMiniInfoTimeLine(TimeLine(time, SongDuration));
}

void Tform_main::xaudioNotifyInputDuration(TXaudioPlayer *, quint32 Duration)
{
    SongDuration = Duration;
    label_length->setText(DurationText(Duration));
}

void Tform_main::xaudioNotifyPlayerState(TXaudioPlayer *, qint32 State)
{
    const std::optional<TransportEnabling> enabling = EnablingForPlayerState(State);
    if (!enabling)
        return;
    pop_play->setEnabled(enabling->play);
    pop_pause->setEnabled(enabling->pause);
    pop_stop->setEnabled(enabling->stop);
    speedbutton_play->setEnabled(enabling->play);
    speedbutton_pause->setEnabled(enabling->pause);
    speedbutton_stop->setEnabled(enabling->stop);

    // The next Play starts from the beginning.
    if (State == kStopped || State == kEndOfFile)
        xaudio->InputSeek(0, 1);
    playing = State == kPlaying;

    ShowStateIcon(State);
    const QString title = label_songtitle->text();
    TaskBarModifyIcon(NowPlayingTip(title, State, kTrayTipMax));

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

void Tform_main::ShowStateIcon(qint32 State)
{
    const QString folder = StateIconFolder.isEmpty() ? runtimeFilesFolder() : StateIconFolder;
    const QString path = QDir(folder).filePath(StateIconFile(State));
    const QIcon icon = LoadIconFile(path);
    if (!icon.isNull()) {
        SetImage1Icon(icon);
        return;
    }
    // The picture keeps the icon it shows; the display goes on without the new one. Telling the user once
    // is enough: the same file fails again on every change of state.
    if (m_stateIconFailuresReported.contains(path))
        return;
    m_stateIconFailuresReported.append(path);
    Shell::errorBox(QStringLiteral("Couldn't open file: ") + path, this);
}
