#include "playback/XaudioPlayer.h"

#include <QByteArray>

#include <utility>

namespace {

// Calls an event slot through a copy, so that a handler may reassign or clear its own slot while it runs.
template <typename Slot, typename... Args>
void Raise(const Slot &slot, Args &&...args)
{
    if (!slot)
        return;
    const Slot handler = slot;
    handler(std::forward<Args>(args)...);
}

QString Text(const XA_Message &msg, int offset)
{
    return QString::fromStdString(msg.text(offset));  // UTF-8, an independent copy
}

}  // namespace

TXaudioPlayer::TXaudioPlayer(QObject *parent) : QObject(parent)
{
    const QString mismatch = ApiMismatchText(xaudio_get_api_version(XA_API_ID_ASYNC));
    if (!mismatch.isEmpty())
        m_startErrors.append(mismatch);

    if (player_new(&player_, this) != XA_SUCCESS) {
        player_ = nullptr;  // commands to a null player are refused by the library
        m_startErrors.append(QStringLiteral("Cannot Start Xaudio Player"));
    }
}

TXaudioPlayer::~TXaudioPlayer()
{
    // Stops the engine thread; notifications still queued for this object are dropped with it by ~QObject.
    player_delete(player_);
}

QString TXaudioPlayer::ApiMismatchText(int versionWord)
{
    const int major = (versionWord >> 16) & 0xFF;
    const int minor = (versionWord >> 8) & 0xFF;
    if (major == ExpectedApiMajor && minor == ExpectedApiMinor)
        return {};
    return QStringLiteral("Xaudio DLL API Mismatch\rExpected %1,%2\rGot %3,%4")
        .arg(ExpectedApiMajor)
        .arg(ExpectedApiMinor)
        .arg(major)
        .arg(minor);
}

quint32 TXaudioPlayer::GetPriority() const { return static_cast<quint32>(player_get_priority(player_)); }

void TXaudioPlayer::SetPriority(quint32 Value) { player_set_priority(player_, static_cast<int>(Value)); }

QString TXaudioPlayer::ErrorString(int Code) { return QString::fromUtf8(xaudio_error_string(Code)); }

// ---- commands ----------------------------------------------------------------------------------------------

void TXaudioPlayer::Exit() { control_message_send_N(player_, XA_MSG_COMMAND_EXIT); }

void TXaudioPlayer::Ping(uint32_t Tag)
{
    control_message_send_I(player_, XA_MSG_COMMAND_PING, static_cast<int32_t>(Tag));
}

void TXaudioPlayer::Play() { control_message_send_N(player_, XA_MSG_COMMAND_PLAY); }
void TXaudioPlayer::Pause() { control_message_send_N(player_, XA_MSG_COMMAND_PAUSE); }
void TXaudioPlayer::Stop() { control_message_send_N(player_, XA_MSG_COMMAND_STOP); }

void TXaudioPlayer::InputSeek(uint32_t Offset, uint32_t Range)
{
    control_message_send_II(player_, XA_MSG_COMMAND_INPUT_SEEK, static_cast<int32_t>(Offset),
                            static_cast<int32_t>(Range));
}

void TXaudioPlayer::InputOpen(const QString &Name)
{
    control_message_send_S(player_, XA_MSG_COMMAND_INPUT_OPEN, Name.toUtf8().constData());
}

void TXaudioPlayer::InputClose() { control_message_send_N(player_, XA_MSG_COMMAND_INPUT_CLOSE); }

void TXaudioPlayer::InputSendMessage(uint16_t Type, const void *Data, int32_t Size)
{
    control_message_send_IPI(player_, XA_MSG_COMMAND_INPUT_SEND_MESSAGE, Type, Data, Size);
}

void TXaudioPlayer::InputAddFilter(const QString &Name, int32_t Where)
{
    control_message_send_SI(player_, XA_MSG_COMMAND_INPUT_ADD_FILTER, Name.toUtf8().constData(), Where);
}

void TXaudioPlayer::InputRemoveFilter(const QString &Name, int32_t Id)
{
    control_message_send_SI(player_, XA_MSG_COMMAND_INPUT_REMOVE_FILTER, Name.toUtf8().constData(), Id);
}

void TXaudioPlayer::InputFilterList() { control_message_send_N(player_, XA_MSG_COMMAND_INPUT_FILTER_LIST); }

void TXaudioPlayer::InputModuleRegister(const QString &Name)
{
    control_message_send_S(player_, XA_MSG_COMMAND_INPUT_MODULE_REGISTER, Name.toUtf8().constData());
}

void TXaudioPlayer::InputModuleQuery(int32_t Id)
{
    control_message_send_I(player_, XA_MSG_COMMAND_INPUT_MODULE_QUERY, Id);
}

void TXaudioPlayer::InputModulesList() { control_message_send_N(player_, XA_MSG_COMMAND_INPUT_MODULES_LIST); }

void TXaudioPlayer::OutputOpen(const QString &Name)
{
    control_message_send_S(player_, XA_MSG_COMMAND_OUTPUT_OPEN, Name.toUtf8().constData());
}

void TXaudioPlayer::OutputClose() { control_message_send_N(player_, XA_MSG_COMMAND_OUTPUT_CLOSE); }

void TXaudioPlayer::OutputSendMessage(uint16_t Type, const void *Data, int32_t Size)
{
    control_message_send_IPI(player_, XA_MSG_COMMAND_OUTPUT_SEND_MESSAGE, Type, Data, Size);
}

void TXaudioPlayer::OutputMute() { control_message_send_N(player_, XA_MSG_COMMAND_OUTPUT_MUTE); }
void TXaudioPlayer::OutputUnmute() { control_message_send_N(player_, XA_MSG_COMMAND_OUTPUT_UNMUTE); }
void TXaudioPlayer::OutputReset() { control_message_send_N(player_, XA_MSG_COMMAND_OUTPUT_RESET); }
void TXaudioPlayer::OutputDrain() { control_message_send_N(player_, XA_MSG_COMMAND_OUTPUT_DRAIN); }

void TXaudioPlayer::OutputAddFilter(const QString &Name, int32_t Where)
{
    control_message_send_SI(player_, XA_MSG_COMMAND_OUTPUT_ADD_FILTER, Name.toUtf8().constData(), Where);
}

void TXaudioPlayer::OutputRemoveFilter(const QString &Name, int32_t Id)
{
    control_message_send_SI(player_, XA_MSG_COMMAND_OUTPUT_REMOVE_FILTER, Name.toUtf8().constData(), Id);
}

void TXaudioPlayer::OutputFilterList() { control_message_send_N(player_, XA_MSG_COMMAND_OUTPUT_FILTER_LIST); }

void TXaudioPlayer::OutputModuleRegister(const QString &Name)
{
    control_message_send_S(player_, XA_MSG_COMMAND_OUTPUT_MODULE_REGISTER, Name.toUtf8().constData());
}

void TXaudioPlayer::OutputModuleQuery(int32_t Id)
{
    control_message_send_I(player_, XA_MSG_COMMAND_OUTPUT_MODULE_QUERY, Id);
}

void TXaudioPlayer::OutputModulesList() { control_message_send_N(player_, XA_MSG_COMMAND_OUTPUT_MODULES_LIST); }
void TXaudioPlayer::SetPlayerMode(int32_t Mode) { control_message_send_I(player_, XA_MSG_SET_PLAYER_MODE, Mode); }
void TXaudioPlayer::GetPlayerMode() { control_message_send_N(player_, XA_MSG_GET_PLAYER_MODE); }

void TXaudioPlayer::SetPlayerEnvironmentInteger(const QString &Name, int32_t Value)
{
    control_message_send_SI(player_, XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, Name.toUtf8().constData(), Value);
}

void TXaudioPlayer::GetPlayerEnvironmentInteger(const QString &Name)
{
    control_message_send_S(player_, XA_MSG_GET_PLAYER_ENVIRONMENT_INTEGER, Name.toUtf8().constData());
}

void TXaudioPlayer::SetPlayerEnvironmentString(const QString &Name, const QString &Value)
{
    control_message_send_SS(player_, XA_MSG_SET_PLAYER_ENVIRONMENT_STRING, Name.toUtf8().constData(),
                            Value.toUtf8().constData());
}

void TXaudioPlayer::GetPlayerEnvironmentString(const QString &Name)
{
    control_message_send_S(player_, XA_MSG_GET_PLAYER_ENVIRONMENT_STRING, Name.toUtf8().constData());
}

void TXaudioPlayer::UnsetPlayerEnvironment(const QString &Name)
{
    control_message_send_S(player_, XA_MSG_UNSET_PLAYER_ENVIRONMENT, Name.toUtf8().constData());
}

void TXaudioPlayer::SetInputName(const QString &Name)
{
    control_message_send_S(player_, XA_MSG_SET_INPUT_NAME, Name.toUtf8().constData());
}

void TXaudioPlayer::GetInputName() { control_message_send_N(player_, XA_MSG_GET_INPUT_NAME); }
void TXaudioPlayer::SetInputModule(int32_t Id) { control_message_send_I(player_, XA_MSG_SET_INPUT_MODULE, Id); }
void TXaudioPlayer::GetInputModule() { control_message_send_N(player_, XA_MSG_GET_INPUT_MODULE); }

void TXaudioPlayer::SetInputPositionRange(int32_t Range)
{
    control_message_send_I(player_, XA_MSG_SET_INPUT_POSITION_RANGE, Range);
}

void TXaudioPlayer::GetInputPositionRange() { control_message_send_N(player_, XA_MSG_GET_INPUT_POSITION_RANGE); }

void TXaudioPlayer::SetInputTimecodeGranularity(uint32_t Granularity)
{
    control_message_send_I(player_, XA_MSG_SET_INPUT_TIMECODE_GRANULARITY, static_cast<int32_t>(Granularity));
}

void TXaudioPlayer::GetInputTimecodeGranularity()
{
    control_message_send_N(player_, XA_MSG_GET_INPUT_TIMECODE_GRANULARITY);
}

void TXaudioPlayer::SetOutputName(const QString &Name)
{
    control_message_send_S(player_, XA_MSG_SET_OUTPUT_NAME, Name.toUtf8().constData());
}

void TXaudioPlayer::GetOutputName() { control_message_send_N(player_, XA_MSG_GET_OUTPUT_NAME); }
void TXaudioPlayer::SetOutputModule(int32_t Id) { control_message_send_I(player_, XA_MSG_SET_OUTPUT_MODULE, Id); }
void TXaudioPlayer::GetOutputModule() { control_message_send_N(player_, XA_MSG_GET_OUTPUT_MODULE); }

void TXaudioPlayer::SetOutputVolume(uint8_t Balance, uint8_t PcmLevel, uint8_t MasterLevel)
{
    control_message_send_III(player_, XA_MSG_SET_OUTPUT_VOLUME, Balance, PcmLevel, MasterLevel);
}

void TXaudioPlayer::GetOutputVolume() { control_message_send_N(player_, XA_MSG_GET_OUTPUT_VOLUME); }
void TXaudioPlayer::SetOutputChannels(int32_t Channels)
{
    control_message_send_I(player_, XA_MSG_SET_OUTPUT_CHANNELS, Channels);
}

void TXaudioPlayer::GetOutputChannels() { control_message_send_N(player_, XA_MSG_GET_OUTPUT_CHANNELS); }

void TXaudioPlayer::SetOutputPorts(uint32_t Ports)
{
    control_message_send_I(player_, XA_MSG_SET_OUTPUT_PORTS, static_cast<int32_t>(Ports));
}

void TXaudioPlayer::GetOutputPorts() { control_message_send_N(player_, XA_MSG_GET_OUTPUT_PORTS); }
void TXaudioPlayer::SetCodecQuality(uint8_t Quality)
{
    control_message_send_I(player_, XA_MSG_SET_CODEC_QUALITY, Quality);
}

void TXaudioPlayer::GetCodecQuality() { control_message_send_N(player_, XA_MSG_GET_CODEC_QUALITY); }

void TXaudioPlayer::SetCodecEqualizer(const XA_EqualizerInfo *Equalizer)
{
    control_message_send_P(player_, XA_MSG_SET_CODEC_EQUALIZER, Equalizer);
}

void TXaudioPlayer::GetCodecEqualizer() { control_message_send_N(player_, XA_MSG_GET_CODEC_EQUALIZER); }

void TXaudioPlayer::SetNotificationMask(uint32_t Mask)
{
    control_message_send_I(player_, XA_MSG_SET_NOTIFICATION_MASK, static_cast<int32_t>(Mask));
}

void TXaudioPlayer::GetNotificationMask() { control_message_send_N(player_, XA_MSG_GET_NOTIFICATION_MASK); }
void TXaudioPlayer::SetDebugLevel(int32_t Level) { control_message_send_I(player_, XA_MSG_SET_DEBUG_LEVEL, Level); }
void TXaudioPlayer::GetDebugLevel() { control_message_send_N(player_, XA_MSG_GET_DEBUG_LEVEL); }

// ---- notifications -----------------------------------------------------------------------------------------

bool TXaudioPlayer::event(QEvent *e)
{
    XA_Message msg;
    if (control_event_to_message(player_, &msg, e) != XA_SUCCESS)
        return QObject::event(e);  // not a notification: timers, deferred deletion, ...
    Dispatch(msg);
    return true;
}

void TXaudioPlayer::Dispatch(const XA_Message &Msg)
{
    Raise(OnNotifyMessage, this, Msg);

    switch (Msg.code) {
    case XA_MSG_NOTIFY_READY:
        Raise(OnNotifyReady, this);
        break;
    case XA_MSG_NOTIFY_ACK:
        Raise(OnNotifyAck, this, Msg.u8(4));
        break;
    case XA_MSG_NOTIFY_NACK:
        Raise(OnNotifyNack, this, Msg.u8(4), Msg.s16(6));
        break;
    case XA_MSG_NOTIFY_PONG:
        Raise(OnNotifyPong, this, Msg.u32(4));
        break;
    case XA_MSG_NOTIFY_EXITED:
        Raise(OnNotifyExited, this);
        break;
    case XA_MSG_NOTIFY_PLAYER_STATE:
        Raise(OnNotifyPlayerState, this, int32_t{Msg.u8(4)});
        break;
    case XA_MSG_NOTIFY_PLAYER_MODE:
        Raise(OnNotifyPlayerMode, this, Msg.s32(4));
        break;
    case XA_MSG_NOTIFY_PLAYER_ENVIRONMENT_INTEGER:
        Raise(OnNotifyPlayerEnvironmentInteger, this, Text(Msg, 4), Msg.s32(8));
        break;
    case XA_MSG_NOTIFY_PLAYER_ENVIRONMENT_STRING:
        Raise(OnNotifyPlayerEnvironmentString, this, Text(Msg, 4), Text(Msg, 8));
        break;
    case XA_MSG_NOTIFY_INPUT_STATE:
        Raise(OnNotifyInputState, this, int32_t{Msg.u8(4)});
        break;
    case XA_MSG_NOTIFY_INPUT_NAME:
        Raise(OnNotifyInputName, this, Text(Msg, 4));
        break;
    case XA_MSG_NOTIFY_INPUT_CAPS:
        Raise(OnNotifyInputCaps, this, Msg.u32(4));
        break;
    case XA_MSG_NOTIFY_INPUT_POSITION:
        Raise(OnNotifyInputPosition, this, Msg.u32(4), Msg.u32(8));
        break;
    case XA_MSG_NOTIFY_INPUT_POSITION_RANGE:
        Raise(OnNotifyInputPositionRange, this, Msg.s32(4));
        break;
    case XA_MSG_NOTIFY_INPUT_TIMECODE:
        Raise(OnNotifyInputTimecode, this, Msg.u8(4), Msg.u8(5), Msg.u8(6), Msg.u8(7));
        break;
    case XA_MSG_NOTIFY_INPUT_TIMECODE_GRANULARITY:
        Raise(OnNotifyInputTimecodeGranularity, this, Msg.u32(4));
        break;
    case XA_MSG_NOTIFY_INPUT_DURATION:
        Raise(OnNotifyInputDuration, this, Msg.u32(4));
        break;
    case XA_MSG_NOTIFY_INPUT_STREAM_INFO:
        Raise(OnNotifyInputStreamInfo, this, Msg.u8(4), Msg.u8(5), Msg.u16(6), Msg.u16(8), Msg.u8(10));
        break;
    case XA_MSG_NOTIFY_INPUT_MODULE:
        Raise(OnNotifyInputModule, this, Msg.s16(4));
        break;
    case XA_MSG_NOTIFY_INPUT_MODULE_INFO:
        Raise(OnNotifyInputModuleInfo, this, Msg.u8(4), Msg.u8(5), Text(Msg, 8), Text(Msg, 12));
        break;
    case XA_MSG_NOTIFY_INPUT_DEVICE_INFO:
        Raise(OnNotifyInputDeviceInfo, this, Msg.u8(4), Msg.u8(5), Msg.u8(6), Text(Msg, 8), Text(Msg, 12));
        break;
    case XA_MSG_NOTIFY_INPUT_FILTER_INFO:
        Raise(OnNotifyInputFilterInfo, this, Msg.u8(8), Text(Msg, 4));
        break;
    case XA_MSG_NOTIFY_OUTPUT_STATE:
        Raise(OnNotifyOutputState, this, int32_t{Msg.u8(4)});
        break;
    case XA_MSG_NOTIFY_OUTPUT_NAME:
        Raise(OnNotifyOutputName, this, Text(Msg, 4));
        break;
    case XA_MSG_NOTIFY_OUTPUT_CAPS:
        Raise(OnNotifyOutputCaps, this, Msg.u32(4));
        break;
    case XA_MSG_NOTIFY_OUTPUT_VOLUME:
        Raise(OnNotifyOutputVolume, this, Msg.u8(4), Msg.u8(5), Msg.u8(6));
        break;
    case XA_MSG_NOTIFY_OUTPUT_BALANCE:
        Raise(OnNotifyOutputBalance, this, Msg.u8(6));
        break;
    case XA_MSG_NOTIFY_OUTPUT_PCM_LEVEL:
        Raise(OnNotifyOutputPcmLevel, this, Msg.u8(5));
        break;
    case XA_MSG_NOTIFY_OUTPUT_MASTER_LEVEL:
        Raise(OnNotifyOutputMasterLevel, this, Msg.u8(4));
        break;
    case XA_MSG_NOTIFY_OUTPUT_CHANNELS:
        Raise(OnNotifyOutputChannels, this, Msg.u8(4));
        break;
    case XA_MSG_NOTIFY_OUTPUT_PORTS:
        Raise(OnNotifyOutputPorts, this, uint32_t{Msg.u8(4)});
        break;
    case XA_MSG_NOTIFY_OUTPUT_MODULE:
        Raise(OnNotifyOutputModule, this, Msg.s16(4));
        break;
    case XA_MSG_NOTIFY_OUTPUT_MODULE_INFO:
        Raise(OnNotifyOutputModuleInfo, this, Msg.u8(4), Msg.u8(5), Text(Msg, 8), Text(Msg, 12));
        break;
    case XA_MSG_NOTIFY_OUTPUT_DEVICE_INFO:
        Raise(OnNotifyOutputDeviceInfo, this, Msg.u8(4), Msg.u8(5), Msg.u8(6), Text(Msg, 8), Text(Msg, 12));
        break;
    case XA_MSG_NOTIFY_OUTPUT_FILTER_INFO:
        Raise(OnNotifyOutputFilterInfo, this, Msg.u8(8), Text(Msg, 4));
        break;
    case XA_MSG_NOTIFY_CODEC_QUALITY:
        Raise(OnNotifyCodecQuality, this, Msg.u8(4));
        break;
    case XA_MSG_NOTIFY_CODEC_EQUALIZER:
        // A notification without its record has nothing to report: the handler would set every band from
        // nothing, so it is not called.
        if (Msg.equalizer)
            Raise(OnNotifyCodecEqualizer, this, *Msg.equalizer);
        break;
    case XA_MSG_NOTIFY_NOTIFICATION_MASK:
        Raise(OnNotifyNotificationMask, this, Msg.u32(4));
        break;
    case XA_MSG_NOTIFY_DEBUG_LEVEL:
        Raise(OnNotifyDebugLevel, this, Msg.u8(4));
        break;
    case XA_MSG_NOTIFY_PROGRESS:
        Raise(OnNotifyProgress, this, Msg.u8(4), Msg.u8(5), Msg.s16(6), Text(Msg, 8));
        break;
    case XA_MSG_NOTIFY_DEBUG:
        Raise(OnNotifyDebug, this, Msg.u8(4), Msg.u8(5), Text(Msg, 8));
        break;
    case XA_MSG_NOTIFY_ERROR:
        Raise(OnNotifyError, this, Msg.u8(4), Msg.s16(6), Text(Msg, 8));
        break;
    default:
        break;  // codes below 64, 95 and above 106 carry no event of their own
    }
}
