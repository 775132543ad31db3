#pragma once
// TXaudioPlayer: the player component. It owns one player of the decoder library, sends it commands (each
// command method is exactly one control_message_send_* call) and turns the notifications the library posts to
// it into calls of its 43 event slots.
//
// Threads: create, use and destroy the component on the user-interface thread. The library's engine thread
// posts every notification to this object as an XA_NotificationEvent; event() converts it and raises the
// events here, one at a time, in posting order. Commands return at once; success or failure arrives later as
// OnNotifyAck / OnNotifyNack carrying the command code.
//
// Events: every slot is empty by default and may be assigned or cleared at any time, also from inside a
// handler. OnNotifyMessage sees every notification first, then the event of its code is raised. Texts arrive as
// QString copies (decoded as UTF-8), never pointing into the message.

#include "platform/decoder/xaudio.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class TXaudioPlayer : public QObject {
    Q_OBJECT
    Q_PROPERTY(quint32 Priority READ GetPriority WRITE SetPriority)

public:
    // Event types, one per parameter list.
    using TNotifyMessageEvent = std::function<void(TXaudioPlayer *Sender, const XA_Message &Msg)>;
    using TNotifyEvent = std::function<void(TXaudioPlayer *Sender)>;
    using TNotifyAckEvent = std::function<void(TXaudioPlayer *Sender, uint8_t Command)>;
    using TNotifyNackEvent = std::function<void(TXaudioPlayer *Sender, uint8_t Command, int16_t Code)>;
    using TNotifyPongEvent = std::function<void(TXaudioPlayer *Sender, uint32_t Tag)>;
    using TNotifyPlayerStateEvent = std::function<void(TXaudioPlayer *Sender, int32_t State)>;
    using TNotifyInputStateEvent = std::function<void(TXaudioPlayer *Sender, int32_t State)>;
    using TNotifyOutputStateEvent = std::function<void(TXaudioPlayer *Sender, int32_t State)>;
    using TNotifyPlayerModeEvent = std::function<void(TXaudioPlayer *Sender, int32_t Mode)>;
    using TNotifyEnvironmentIntegerEvent =
        std::function<void(TXaudioPlayer *Sender, const QString &Name, int32_t Value)>;
    using TNotifyEnvironmentStringEvent =
        std::function<void(TXaudioPlayer *Sender, const QString &Name, const QString &Value)>;
    using TNotifyInputNameEvent = std::function<void(TXaudioPlayer *Sender, const QString &Name)>;
    using TNotifyOutputNameEvent = std::function<void(TXaudioPlayer *Sender, const QString &Name)>;
    using TNotifyInputCapsEvent = std::function<void(TXaudioPlayer *Sender, uint32_t Caps)>;
    using TNotifyOutputCapsEvent = std::function<void(TXaudioPlayer *Sender, uint32_t Caps)>;
    using TNotifyInputPositionEvent = std::function<void(TXaudioPlayer *Sender, uint32_t Offset, uint32_t Range)>;
    using TNotifyInputPositionRangeEvent = std::function<void(TXaudioPlayer *Sender, int32_t Range)>;
    using TNotifyInputTimecodeEvent =
        std::function<void(TXaudioPlayer *Sender, uint8_t Hours, uint8_t Minutes, uint8_t Seconds, uint8_t Fractions)>;
    using TNotifyInputTimecodeGranularityEvent = std::function<void(TXaudioPlayer *Sender, uint32_t Granularity)>;
    using TNotifyInputDurationEvent = std::function<void(TXaudioPlayer *Sender, uint32_t Duration)>;
    using TNotifyInputStreamInfoEvent = std::function<void(TXaudioPlayer *Sender, uint8_t Level, uint8_t Layer,
                                                           uint16_t Bitrate, uint16_t Frequency, uint8_t Mode)>;
    using TNotifyInputModuleEvent = std::function<void(TXaudioPlayer *Sender, int16_t ID)>;
    using TNotifyOutputModuleEvent = std::function<void(TXaudioPlayer *Sender, int16_t ID)>;
    using TNotifyInputModuleInfoEvent = std::function<void(TXaudioPlayer *Sender, uint8_t ID, uint8_t NbDevices,
                                                           const QString &Name, const QString &Description)>;
    using TNotifyOutputModuleInfoEvent = std::function<void(TXaudioPlayer *Sender, uint8_t ID, uint8_t NbDevices,
                                                            const QString &Name, const QString &Description)>;
    using TNotifyInputDeviceInfoEvent =
        std::function<void(TXaudioPlayer *Sender, uint8_t ModuleID, uint8_t Index, uint8_t Flags, const QString &Name,
                           const QString &Description)>;
    using TNotifyOutputDeviceInfoEvent =
        std::function<void(TXaudioPlayer *Sender, uint8_t ModuleID, uint8_t Index, uint8_t Flags, const QString &Name,
                           const QString &Description)>;
    using TNotifyInputFilterInfoEvent = std::function<void(TXaudioPlayer *Sender, uint8_t ID, const QString &Name)>;
    using TNotifyOutputFilterInfoEvent = std::function<void(TXaudioPlayer *Sender, uint8_t ID, const QString &Name)>;
    using TNotifyOutputVolumeEvent =
        std::function<void(TXaudioPlayer *Sender, uint8_t MasterLevel, uint8_t PcmLevel, uint8_t Balance)>;
    using TNotifyOutputBalanceEvent = std::function<void(TXaudioPlayer *Sender, uint8_t Balance)>;
    using TNotifyOutputPcmLevelEvent = std::function<void(TXaudioPlayer *Sender, uint8_t PcmLevel)>;
    using TNotifyOutputMasterLevelEvent = std::function<void(TXaudioPlayer *Sender, uint8_t MasterLevel)>;
    using TNotifyOutputChannelsEvent = std::function<void(TXaudioPlayer *Sender, uint8_t Channels)>;
    using TNotifyOutputPortsEvent = std::function<void(TXaudioPlayer *Sender, uint32_t Ports)>;
    using TNotifyCodecQualityEvent = std::function<void(TXaudioPlayer *Sender, uint8_t Quality)>;
    using TNotifyCodecEqualizerEvent = std::function<void(TXaudioPlayer *Sender, const XA_EqualizerInfo &Equalizer)>;
    using TNotifyNotificationMask = std::function<void(TXaudioPlayer *Sender, uint32_t Mask)>;
    using TNotifyDebugLevelEvent = std::function<void(TXaudioPlayer *Sender, uint8_t Level)>;
    using TNotifyProgressEvent =
        std::function<void(TXaudioPlayer *Sender, uint8_t Source, uint8_t Code, int16_t Value, const QString &Msg)>;
    using TNotifyDebugEvent =
        std::function<void(TXaudioPlayer *Sender, uint8_t Source, uint8_t Level, const QString &Msg)>;
    using TNotifyErrorEvent =
        std::function<void(TXaudioPlayer *Sender, uint8_t Source, int16_t Code, const QString &Msg)>;

    // The library version this component is written against.
    static constexpr int ExpectedApiMajor = 3;
    static constexpr int ExpectedApiMinor = 2;

    // Checks the library version (a mismatch is noted in StartErrors, and construction goes on) and creates
    // the player, whose notifications come to this object. If the player cannot be created, StartErrors says
    // so; the component stays usable and its commands go nowhere.
    explicit TXaudioPlayer(QObject *parent = nullptr);
    ~TXaudioPlayer() override;

    // The texts of the error boxes construction calls for, in order; the owner shows them.
    const QStringList &StartErrors() const { return m_startErrors; }

    // The error box text for a version word of xaudio_get_api_version (major in bits 16..23, minor in bits
    // 8..15), or an empty text when the version is the expected one.
    static QString ApiMismatchText(int versionWord);

    // Scheduling priority of the player's engine thread, XA_PRIORITY_LOWEST (0) .. XA_PRIORITY_HIGHEST (4).
    quint32 GetPriority() const;
    void SetPriority(quint32 Value);

    // The library's English sentence for an error code.
    static QString ErrorString(int Code);

    // Commands, by command code.
    void Exit();                                                                   // 1
    void Ping(uint32_t Tag);                                                       // 2
    void Play();                                                                   // 3
    void Pause();                                                                  // 4
    void Stop();                                                                   // 5
    void InputSeek(uint32_t Offset, uint32_t Range);                               // 6
    void InputOpen(const QString &Name);                                           // 7
    void InputClose();                                                             // 8
    void InputSendMessage(uint16_t Type, const void *Data, int32_t Size);          // 9
    void InputAddFilter(const QString &Name, int32_t Where);                       // 10
    void InputRemoveFilter(const QString &Name, int32_t Id);                       // 11
    void InputFilterList();                                                        // 12
    void InputModuleRegister(const QString &Name);                                 // 13
    void InputModuleQuery(int32_t Id);                                             // 14
    void InputModulesList();                                                       // 15
    void OutputOpen(const QString &Name);                                          // 16
    void OutputClose();                                                            // 17
    void OutputSendMessage(uint16_t Type, const void *Data, int32_t Size);         // 18
    void OutputMute();                                                             // 19
    void OutputUnmute();                                                           // 20
    void OutputReset();                                                            // 21
    void OutputDrain();                                                            // 22
    void OutputAddFilter(const QString &Name, int32_t Where);                      // 23
    void OutputRemoveFilter(const QString &Name, int32_t Id);                      // 24
    void OutputFilterList();                                                       // 25
    void OutputModuleRegister(const QString &Name);                                // 26
    void OutputModuleQuery(int32_t Id);                                            // 27
    void OutputModulesList();                                                      // 28
    void SetPlayerMode(int32_t Mode);                                              // 29
    void GetPlayerMode();                                                          // 30
    void SetPlayerEnvironmentInteger(const QString &Name, int32_t Value);          // 31
    void GetPlayerEnvironmentInteger(const QString &Name);                         // 32
    void SetPlayerEnvironmentString(const QString &Name, const QString &Value);    // 33
    void GetPlayerEnvironmentString(const QString &Name);                          // 34
    void UnsetPlayerEnvironment(const QString &Name);                              // 35
    void SetInputName(const QString &Name);                                        // 36
    void GetInputName();                                                           // 37
    void SetInputModule(int32_t Id);                                               // 38
    void GetInputModule();                                                         // 39
    void SetInputPositionRange(int32_t Range);                                     // 40
    void GetInputPositionRange();                                                  // 41
    void SetInputTimecodeGranularity(uint32_t Granularity);                        // 42
    void GetInputTimecodeGranularity();                                            // 43
    void SetOutputName(const QString &Name);                                       // 44
    void GetOutputName();                                                          // 45
    void SetOutputModule(int32_t Id);                                              // 46
    void GetOutputModule();                                                        // 47
    void SetOutputVolume(uint8_t Balance, uint8_t PcmLevel, uint8_t MasterLevel);  // 48
    void GetOutputVolume();                                                        // 49
    void SetOutputChannels(int32_t Channels);                                      // 50
    void GetOutputChannels();                                                      // 51
    void SetOutputPorts(uint32_t Ports);                                           // 52
    void GetOutputPorts();                                                         // 53
    void SetCodecQuality(uint8_t Quality);                                         // 54
    void GetCodecQuality();                                                        // 55
    void SetCodecEqualizer(const XA_EqualizerInfo *Equalizer);                     // 58; null switches it off
    void GetCodecEqualizer();                                                      // 59
    void SetNotificationMask(uint32_t Mask);                                       // 60
    void GetNotificationMask();                                                    // 61
    void SetDebugLevel(int32_t Level);                                             // 62
    void GetDebugLevel();                                                          // 63

    // Events, in notification-code order after OnNotifyMessage.
    TNotifyMessageEvent OnNotifyMessage;
    TNotifyEvent OnNotifyReady;
    TNotifyAckEvent OnNotifyAck;
    TNotifyNackEvent OnNotifyNack;
    TNotifyPongEvent OnNotifyPong;
    TNotifyEvent OnNotifyExited;
    TNotifyPlayerStateEvent OnNotifyPlayerState;
    TNotifyPlayerModeEvent OnNotifyPlayerMode;
    TNotifyEnvironmentIntegerEvent OnNotifyPlayerEnvironmentInteger;
    TNotifyEnvironmentStringEvent OnNotifyPlayerEnvironmentString;
    TNotifyInputStateEvent OnNotifyInputState;
    TNotifyInputNameEvent OnNotifyInputName;
    TNotifyInputCapsEvent OnNotifyInputCaps;
    TNotifyInputPositionEvent OnNotifyInputPosition;
    TNotifyInputPositionRangeEvent OnNotifyInputPositionRange;
    TNotifyInputTimecodeEvent OnNotifyInputTimecode;
    TNotifyInputTimecodeGranularityEvent OnNotifyInputTimecodeGranularity;
    TNotifyInputDurationEvent OnNotifyInputDuration;
    TNotifyInputStreamInfoEvent OnNotifyInputStreamInfo;
    TNotifyInputModuleEvent OnNotifyInputModule;
    TNotifyInputModuleInfoEvent OnNotifyInputModuleInfo;
    TNotifyInputDeviceInfoEvent OnNotifyInputDeviceInfo;
    TNotifyInputFilterInfoEvent OnNotifyInputFilterInfo;
    TNotifyOutputStateEvent OnNotifyOutputState;
    TNotifyOutputNameEvent OnNotifyOutputName;
    TNotifyOutputCapsEvent OnNotifyOutputCaps;
    TNotifyOutputVolumeEvent OnNotifyOutputVolume;
    TNotifyOutputBalanceEvent OnNotifyOutputBalance;
    TNotifyOutputPcmLevelEvent OnNotifyOutputPcmLevel;
    TNotifyOutputMasterLevelEvent OnNotifyOutputMasterLevel;
    TNotifyOutputChannelsEvent OnNotifyOutputChannels;
    TNotifyOutputPortsEvent OnNotifyOutputPorts;
    TNotifyOutputModuleEvent OnNotifyOutputModule;
    TNotifyOutputModuleInfoEvent OnNotifyOutputModuleInfo;
    TNotifyOutputDeviceInfoEvent OnNotifyOutputDeviceInfo;
    TNotifyOutputFilterInfoEvent OnNotifyOutputFilterInfo;
    TNotifyCodecQualityEvent OnNotifyCodecQuality;
    TNotifyCodecEqualizerEvent OnNotifyCodecEqualizer;
    TNotifyNotificationMask OnNotifyNotificationMask;
    TNotifyDebugLevelEvent OnNotifyDebugLevel;
    TNotifyProgressEvent OnNotifyProgress;
    TNotifyDebugEvent OnNotifyDebug;
    TNotifyErrorEvent OnNotifyError;

protected:
    bool event(QEvent *e) override;

private:
    void Dispatch(const XA_Message &Msg);

    XA_Player *player_ = nullptr;
    QStringList m_startErrors;
};
