#include "playback/now_playing.h"

#include "config/locations.h"
#include "playback/XaudioPlayer.h"

#include <QDir>

#include <algorithm>

using namespace playback;

NowPlaying::NowPlaying(TXaudioPlayer *player, QObject *parent) : QObject(parent), m_player(player) { }

void NowPlaying::BindPlayerEvents()
{
    TXaudioPlayer *x = m_player;
    x->OnNotifyInputState = [this](TXaudioPlayer *, int32_t state) { InputState(state); };
    x->OnNotifyNack = [this](TXaudioPlayer *, uint8_t command, int16_t code) { Nack(command, code); };
    x->OnNotifyInputPosition = [this](TXaudioPlayer *, uint32_t offset, uint32_t range) {
        InputPosition(offset, range);
    };
    x->OnNotifyInputStreamInfo = [this](TXaudioPlayer *, uint8_t level, uint8_t layer, uint16_t bitrate,
                                        uint16_t frequency,
                                        uint8_t mode) { InputStreamInfo(level, layer, bitrate, frequency, mode); };
    x->OnNotifyInputTimecode = [this](TXaudioPlayer *, uint8_t hours, uint8_t minutes, uint8_t seconds, uint8_t) {
        InputTimecode(hours, minutes, seconds);
    };
    x->OnNotifyInputDuration = [this](TXaudioPlayer *, uint32_t duration) { InputDuration(duration); };
    x->OnNotifyPlayerState = [this](TXaudioPlayer *, int32_t state) { PlayerState(state); };
    // The stream title has no event of its own, and the volume events belong to the audio settings window:
    // both are picked from the messages, which come first.
    x->OnNotifyMessage = [this](TXaudioPlayer *, const XA_Message &msg) {
        if (msg.code == kStreamTitleCode)
            StreamTitleReport(QString::fromStdString(msg.text(4)));
        else if (msg.code == XA_MSG_NOTIFY_OUTPUT_VOLUME)
            VolumeReport(msg.u8(6), msg.u8(5), msg.u8(4));  // master, PCM level, balance in the record
        else if (msg.code == XA_MSG_NOTIFY_OUTPUT_MASTER_LEVEL)
            VolumeReport(-1, -1, msg.u8(4));
    };
}

// ---- Commands ----------------------------------------------------------------------------------------------

void NowPlaying::Open(const QString &fileName, const QString &setName, const QString &title)
{
    m_player->InputOpen(fileName);
    m_fileName = fileName;
    m_songOpened = true;
    m_setName = setName;
    m_title = title;
    m_streamTitle.clear();  // a new input has no stream title until it reports one
    if (title != kTitleUnknown)
        m_applicationTitle = title + QStringLiteral(" - ") + texts::kProgramName;
    Q_EMIT songOpened(fileName, setName, title);
}

void NowPlaying::Play()
{
    m_player->Play();
    m_playing = true;
}

void NowPlaying::Pause()
{
    m_player->Pause();
    m_playing = false;
}

void NowPlaying::Stop()
{
    m_player->Stop();
    m_playing = false;
}

void NowPlaying::Seek(quint32 offset, quint32 range) { m_player->InputSeek(offset, range); }

void NowPlaying::SetMasterLevel(int level)
{
    m_player->SetOutputVolume(static_cast<uint8_t>(m_balance), static_cast<uint8_t>(m_pcm),
                              static_cast<uint8_t>(std::clamp(level, 0, 100)));
}

// ---- The player's reports ----------------------------------------------------------------------------------

void NowPlaying::InputState(qint32 state)
{
    m_songOpened = state == kInputOpen;
    const bool autoplay = m_songOpened && AutoplayOnOpen && AutoplayOnOpen();
    if (autoplay)
        m_player->Play();  // the playing flag follows when the player reports that it plays
    m_enabling = EnablingForInputState(state, autoplay);
    Q_EMIT enablingChanged(m_enabling.play, m_enabling.pause, m_enabling.stop, false);
}

void NowPlaying::Nack(quint8 command, qint16 code)
{
    const QString text = NackText(command, code);
    if (!text.isEmpty())
        Q_EMIT errorToShow(text);
}

void NowPlaying::InputPosition(quint32 offset, quint32 range)
{
    m_position = offset;
    m_positionRange = range;
    Q_EMIT positionChanged(offset, range);
}

void NowPlaying::InputStreamInfo(quint8 level, quint8 layer, quint16 bitrate, quint16 frequency, quint8 mode)
{
    if (const std::optional<QString> text = playback::StreamDescription(level, layer, bitrate, frequency, mode)) {
        m_streamDescription = *text;
        Q_EMIT streamInfoChanged(*text);
    }
}

void NowPlaying::InputTimecode(quint8 hours, quint8 minutes, quint8 seconds)
{
    m_timeText = playback::TimeText(hours, minutes, seconds);
    Q_EMIT timeChanged(m_timeText, TimeLine(m_timeText, m_duration));
}

void NowPlaying::InputDuration(quint32 duration)
{
    m_duration = duration;
    Q_EMIT durationChanged(duration, DurationText(duration));
}

void NowPlaying::PlayerState(qint32 state)
{
    const std::optional<TransportEnabling> enabling = EnablingForPlayerState(state);
    if (!enabling)
        return;
    m_enabling = *enabling;
    Q_EMIT enablingChanged(enabling->play, enabling->pause, enabling->stop, true);

    // The next Play starts from the beginning.
    if (state == kStopped || state == kEndOfFile)
        m_player->InputSeek(0, 1);
    m_playing = state == kPlaying;
    m_state = state;
    Q_EMIT stateChanged(state, StateIconPath(state));
}

void NowPlaying::StreamTitleReport(const QString &title)
{
    if (title.isEmpty() || title == m_streamTitle)
        return;
    m_streamTitle = title;
    Q_EMIT displayTitleChanged(DisplayTitle());
}

void NowPlaying::VolumeReport(int balance, int pcm, int master)
{
    if (balance >= 0)
        m_balance = balance;
    if (pcm >= 0)
        m_pcm = pcm;
    if (master < 0 || master == m_master)
        return;
    m_master = master;
    Q_EMIT masterLevelChanged(master);
}

// ---- Texts and icons ---------------------------------------------------------------------------------------

QString NowPlaying::Tip(int maxLength) const { return NowPlayingTip(DisplayTitle(), m_state, maxLength); }

QString NowPlaying::StateIconPath(qint32 state) const
{
    const QString folder = StateIconFolder.isEmpty() ? runtimeFilesFolder() : StateIconFolder;
    return QDir(folder).filePath(StateIconFile(state));
}

void NowPlaying::ReportStateIconFailure(const QString &path)
{
    // The same file fails again on every change of state; telling the user once is enough.
    if (m_iconFailuresReported.contains(path))
        return;
    m_iconFailuresReported.append(path);
    Q_EMIT errorToShow(QStringLiteral("Couldn't open file: ") + path);
}
