#pragma once
// NowPlaying: the one place that knows what is playing. It binds the player component's input-state,
// refusal, position, stream-information, time-code, duration, player-state and message events, keeps the
// playback state (song opened, playing, duration, set, title, file, stream description and title, time line,
// the state icon's file), applies the transport rules and emits a signal for every change. The main window,
// its tray icon, the library marks, the mini-info and the desktop interfaces listen; none of them keeps a
// copy of this state.
//
// QtCore only: it shows nothing itself. Errors meant for the user come out of errorToShow.
//
// Threads: the user-interface thread only, like the player component whose events it binds. Every signal is
// emitted from inside the handler of the player's event (or the command) that caused it, in that order.

#include "platform/decoder/xaudio.h"
#include "playback/transport_logic.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class TXaudioPlayer;

class NowPlaying : public QObject {
    Q_OBJECT
public:
    // The notification code that carries the current title of a stream (its StreamTitle), as a text.
    static constexpr int kStreamTitleCode = XA_MSG_NOTIFY_INPUT_STREAM_TITLE;

    explicit NowPlaying(TXaudioPlayer *player, QObject *parent = nullptr);

    TXaudioPlayer *Player() const { return m_player; }

    // Binds the player's events to this object. Calling it again changes nothing.
    void BindPlayerEvents();

    // Asked when an input opens: whether to play it at once (the "auto play on open" option).
    std::function<bool()> AutoplayOnOpen;
    // Where the state icons are read; empty: the program's folder.
    QString StateIconFolder;

    // ---- Commands.
    // Opens a file or URL in the player, with the set and library title it is shown under (kSetUnknown and
    // kTitleUnknown for none). Does not stop what plays.
    void Open(const QString &fileName, const QString &setName, const QString &title);
    void Play();
    void Pause();
    void Stop();
    // Moves to `offset` of `range` steps.
    void Seek(quint32 offset, quint32 range);
    // Sets the output's master level (0..100), keeping balance and PCM level as last reported.
    void SetMasterLevel(int level);

    // ---- The player's reports, as BindPlayerEvents delivers them (the main window's handlers forward here).
    void InputState(qint32 state);
    void Nack(quint8 command, qint16 code);
    void InputPosition(quint32 offset, quint32 range);
    void InputStreamInfo(quint8 level, quint8 layer, quint16 bitrate, quint16 frequency, quint8 mode);
    void InputTimecode(quint8 hours, quint8 minutes, quint8 seconds);
    void InputDuration(quint32 duration);
    void PlayerState(qint32 state);
    // A stream's title; an empty one, or the same again, changes nothing.
    void StreamTitleReport(const QString &title);
    // The output's levels (each 0..100; a negative one is not reported).
    void VolumeReport(int balance, int pcm, int master);

    // ---- State.
    bool SongOpened() const { return m_songOpened; }
    bool Playing() const { return m_playing; }
    // Set by the transport and tray code paths that know better than the player's last report.
    void SetSongOpened(bool opened) { m_songOpened = opened; }
    void SetPlaying(bool playing) { m_playing = playing; }
    // The last player state reported (kStopped before any).
    qint32 State() const { return m_state; }
    // Whole seconds, as the player last reported; 0 until then.
    quint32 Duration() const { return m_duration; }
    // "DAK-MP3", or the library title of the song opened last followed by " - DAK-MP3".
    QString ApplicationTitle() const { return m_applicationTitle; }
    void SetApplicationTitle(const QString &title) { m_applicationTitle = title; }
    QString SetName() const { return m_setName; }
    // The library title (kTitleUnknown for a file or stream opened outside the library).
    QString Title() const { return m_title; }
    // What is shown as the title: the stream's own title while a stream reports one, else Title().
    QString DisplayTitle() const { return m_streamTitle.isEmpty() ? m_title : m_streamTitle; }
    QString StreamTitle() const { return m_streamTitle; }
    QString FileName() const { return m_fileName; }
    QString StreamDescription() const { return m_streamDescription; }
    QString TimeText() const { return m_timeText; }
    // The last position the player reported, in steps of PositionRange().
    quint32 Position() const { return m_position; }
    quint32 PositionRange() const { return m_positionRange; }
    // The transport commands' enabling as the player's reports left it.
    playback::TransportEnabling Enabling() const { return m_enabling; }
    // The output's levels as last reported (0..100); -1 until the player reported its volume.
    int MasterLevel() const { return m_master; }
    // The tray tip for the current state: the shown title and the state, at most maxLength characters.
    QString Tip(int maxLength) const;

    // The icon file of a player state in StateIconFolder.
    QString StateIconPath(qint32 state) const;
    // The listener that shows the state icon could not read `path`: the user is told once per file.
    void ReportStateIconFailure(const QString &path);

Q_SIGNALS:
    // A file or URL was opened with this set and library title.
    void songOpened(const QString &fileName, const QString &setName, const QString &title);
    // Play, Pause and Stop are enabled as given; buttonsToo: the speed buttons follow (player states), or
    // only the menu items do (input states).
    void enablingChanged(bool play, bool pause, bool stop, bool buttonsToo);
    // A player state that changes the enabling (stopped, playing, paused, end of file); everything else of
    // the state is already updated. `iconPath` is the state's icon file.
    void stateChanged(qint32 state, const QString &iconPath);
    void positionChanged(quint32 offset, quint32 range);
    // "hh:mm:ss" and the mini-info's time line ("hh:mm:ss / hh:mm:ss").
    void timeChanged(const QString &timeText, const QString &timeLine);
    void durationChanged(quint32 seconds, const QString &text);
    void streamInfoChanged(const QString &description);
    // The shown title changed (a stream reported a new title, or a song was opened).
    void displayTitleChanged(const QString &title);
    // A text for an error box.
    void errorToShow(const QString &text);
    // The output's master level (0..100) changed.
    void masterLevelChanged(int level);

private:
    TXaudioPlayer *m_player;
    bool m_songOpened = false;
    bool m_playing = false;
    qint32 m_state = playback::kStopped;
    quint32 m_duration = 0;
    quint32 m_position = 0;
    quint32 m_positionRange = 0;
    QString m_applicationTitle = texts::kProgramName;
    QString m_setName = playback::kSetUnknown;
    QString m_title = playback::kTitleUnknown;
    QString m_streamTitle;
    QString m_fileName;
    QString m_streamDescription;
    QString m_timeText;
    playback::TransportEnabling m_enabling;
    QStringList m_iconFailuresReported;
    int m_balance = 50;
    int m_pcm = 100;
    int m_master = -1;
};
