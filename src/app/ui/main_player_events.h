#pragma once
// The main window's player component, the player-state model over it, and the player's events under the
// names the window gives them, so that callers reach them on the window (`form_main->xaudio`). Both objects
// are created with the window and owned by it; null until then.

#include <QtGlobal>

class NowPlaying;
class TXaudioPlayer;
struct XA_EqualizerInfo;

struct MainPlayerEvents {
    TXaudioPlayer *xaudio = nullptr;
    NowPlaying *nowPlaying = nullptr;

    // Input events (main_nowplaying.cpp): each forwards to nowPlaying.
    void xaudioNotifyInputState(TXaudioPlayer *Sender, qint32 State);
    void xaudioNotifyNack(TXaudioPlayer *Sender, quint8 Command, qint16 Code);
    void xaudioNotifyInputPosition(TXaudioPlayer *Sender, quint32 Offset, quint32 Range);
    void xaudioNotifyInputStreamInfo(TXaudioPlayer *Sender, quint8 Level, quint8 Layer, quint16 Bitrate,
                                     quint16 Frequency, quint8 Mode);
    void xaudioNotifyInputTimecode(TXaudioPlayer *Sender, quint8 Hours, quint8 Minutes, quint8 Seconds,
                                   quint8 Fractions);
    void xaudioNotifyInputDuration(TXaudioPlayer *Sender, quint32 Duration);
    void xaudioNotifyPlayerState(TXaudioPlayer *Sender, qint32 State);

    // Output and codec reports (main_audio.cpp): they move the audio settings window's controls, which send
    // nothing back.
    void xaudioNotifyOutputBalance(TXaudioPlayer *Sender, quint8 Balance);
    void xaudioNotifyOutputPcmLevel(TXaudioPlayer *Sender, quint8 PcmLevel);
    void xaudioNotifyOutputMasterLevel(TXaudioPlayer *Sender, quint8 MasterLevel);
    void xaudioNotifyOutputChannels(TXaudioPlayer *Sender, quint8 Channels);
    void xaudioNotifyOutputPorts(TXaudioPlayer *Sender, quint32 Ports);
    void xaudioNotifyCodecQuality(TXaudioPlayer *Sender, quint8 Quality);
    void xaudioNotifyCodecEqualizer(TXaudioPlayer *Sender, const XA_EqualizerInfo &Equalizer);
};
