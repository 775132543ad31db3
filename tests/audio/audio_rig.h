#pragma once
// The main window with its real player (engine thread, no output device needed) and the audio settings
// window, as the program creates them, plus a record of every report the player sends. What the window
// sends is seen in the player's answers: every setting it changes is reported back, mute and the equalizer
// are acknowledged.

#include "app/ui/form_main.h"
#include "audio/ui/form_modifyaudiosettings.h"
#include "playback/XaudioPlayer.h"

#include <QAbstractSlider>
#include <QDeadlineTimer>
#include <QTest>

#include <vector>

class AudioRig {
public:
    AudioRig()
    {
        main = new Tform_main;
        form_main = main;
        window = new Tform_modifyaudiosettings;
        form_modifyaudiosettings = window;
        main->xaudio->OnNotifyMessage = [this](TXaudioPlayer *, const XA_Message &m) { messages.push_back(m); };
    }
    ~AudioRig()
    {
        delete window;
        form_modifyaudiosettings = nullptr;
        delete main;
        form_main = nullptr;
    }
    AudioRig(const AudioRig &) = delete;
    AudioRig &operator=(const AudioRig &) = delete;

    TXaudioPlayer *player() const { return main->xaudio; }

    // Waits until the player has worked off every command sent so far and its reports have been handled.
    bool Sync()
    {
        const uint32_t tag = ++pings_;
        player()->Ping(tag);
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired()) {
            for (size_t i = synced_; i < messages.size(); ++i)
                if (messages[i].code == XA_MSG_NOTIFY_PONG && messages[i].u32(4) == tag) {
                    synced_ = i + 1;
                    return true;
                }
            QTest::qWait(5);
        }
        return false;
    }

    size_t Mark() const { return messages.size(); }
    int Count(int code, size_t from) const
    {
        int n = 0;
        for (size_t i = from; i < messages.size(); ++i)
            n += messages[i].code == code;
        return n;
    }
    // Acknowledgements of `command` since `from`.
    int Acks(int command, size_t from) const
    {
        int n = 0;
        for (size_t i = from; i < messages.size(); ++i)
            n += messages[i].code == XA_MSG_NOTIFY_ACK && messages[i].u8(4) == command;
        return n;
    }
    // The last report of `code`, or null.
    const XA_Message *Last(int code) const
    {
        for (auto it = messages.rbegin(); it != messages.rend(); ++it)
            if (it->code == code)
                return &*it;
        return nullptr;
    }
    // The equalizer the player reported last (after Sync), all zero when none was reported.
    XA_EqualizerInfo LastEqualizer() const
    {
        const XA_Message *m = Last(XA_MSG_NOTIFY_CODEC_EQUALIZER);
        return m && m->equalizer ? *m->equalizer : XA_EqualizerInfo{};
    }
    // The equalizer the player holds now (zeros when it is off); the report also reaches the window.
    XA_EqualizerInfo AskEqualizer()
    {
        player()->GetCodecEqualizer();
        Sync();
        return LastEqualizer();
    }

    Tform_main *main = nullptr;
    Tform_modifyaudiosettings *window = nullptr;
    std::vector<XA_Message> messages;

private:
    uint32_t pings_ = 0;
    size_t synced_ = 0;
};

// Moves a slider as the user's drag does (the change handler runs).
inline void UserMove(QAbstractSlider *slider, int position) { slider->setSliderPosition(position); }
