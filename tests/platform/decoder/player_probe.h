#pragma once
// Drives a real player of the decoder library from a test: records every notification in order and waits
// for the ones a test expects.

#include "platform/decoder/xaudio.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QTest>

#include <functional>
#include <vector>

class PlayerProbe : public QObject {
public:
    PlayerProbe()
    {
        player_new(&player, this);
    }
    ~PlayerProbe() override { player_delete(player); }

    bool event(QEvent *e) override
    {
        XA_Message m;
        if (control_event_to_message(player, &m, e) != XA_SUCCESS)
            return QObject::event(e);
        messages.push_back(m);
        return true;
    }

    void send(int code) { control_message_send_N(player, code); }
    void send(int code, int a) { control_message_send_I(player, code, a); }
    void send(int code, int a, int b) { control_message_send_II(player, code, a, b); }
    void send(int code, const QString &text) { control_message_send_S(player, code, text.toUtf8().constData()); }

    // Waits until a message after index `from` satisfies `match`; returns its index or -1 on timeout.
    int waitFor(const std::function<bool(const XA_Message &)> &match, int timeoutMs = 10000, size_t from = 0)
    {
        QDeadlineTimer deadline(timeoutMs);
        size_t i = from;
        while (true) {
            for (; i < messages.size(); ++i)
                if (match(messages[i]))
                    return static_cast<int>(i);
            if (deadline.hasExpired())
                return -1;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QTest::qSleep(1);
        }
    }
    int waitCode(int code, int timeoutMs = 10000, size_t from = 0)
    {
        return waitFor([code](const XA_Message &m) { return m.code == code; }, timeoutMs, from);
    }
    int waitState(int state, int timeoutMs = 10000, size_t from = 0)
    {
        return waitFor([state](const XA_Message &m) { return m.code == XA_MSG_NOTIFY_PLAYER_STATE && m.u8(4) == state; },
                       timeoutMs, from);
    }
    // The Ack or Nack for `command` after index `from`.
    int waitReply(int command, int timeoutMs = 10000, size_t from = 0)
    {
        return waitFor([command](const XA_Message &m) {
            return (m.code == XA_MSG_NOTIFY_ACK || m.code == XA_MSG_NOTIFY_NACK) && m.u8(4) == command;
        }, timeoutMs, from);
    }
    // Opens `name`, waits for the outcome; true when the input state 0 arrived.
    bool open(const QString &name, int timeoutMs = 10000)
    {
        const size_t from = messages.size();
        send(XA_MSG_COMMAND_INPUT_OPEN, name);
        const int i = waitFor([](const XA_Message &m) {
            return (m.code == XA_MSG_NOTIFY_INPUT_STATE && m.u8(4) == XA_INPUT_STATE_OPEN) ||
                   (m.code == XA_MSG_NOTIFY_NACK && m.u8(4) == XA_MSG_COMMAND_INPUT_OPEN);
        }, timeoutMs, from);
        return i >= 0 && messages[size_t(i)].code == XA_MSG_NOTIFY_INPUT_STATE && messages[size_t(i)].u8(4) == 0;
    }
    // Plays what is open to `wavPath` through the wav output and waits for the end of file.
    bool playToWav(const QString &wavPath, int timeoutMs = 30000)
    {
        const size_t from = messages.size();
        send(XA_MSG_COMMAND_OUTPUT_OPEN, "wav:" + wavPath);
        send(XA_MSG_COMMAND_PLAY);
        const bool ended = waitState(XA_PLAYER_STATE_EOF, timeoutMs, from) >= 0;
        send(XA_MSG_COMMAND_OUTPUT_CLOSE);  // writes the WAV header's sizes
        return ended && waitReply(XA_MSG_COMMAND_OUTPUT_CLOSE, 5000, from) >= 0;
    }
    std::vector<int> codesFrom(size_t from) const
    {
        std::vector<int> codes;
        for (size_t i = from; i < messages.size(); ++i)
            codes.push_back(messages[i].code);
        return codes;
    }
    const XA_Message *last(int code) const
    {
        for (auto it = messages.rbegin(); it != messages.rend(); ++it)
            if (it->code == code)
                return &*it;
        return nullptr;
    }

    XA_Player *player = nullptr;
    std::vector<XA_Message> messages;
};
