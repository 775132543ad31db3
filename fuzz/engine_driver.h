#pragma once
// Plays one input through a player of the decoder library to the "test" output module and waits for the
// outcome: the open refused, or the song played to its end or stopped by an error. Whatever the input, the
// engine must reach one of these and still answer a ping afterwards; an engine that does neither within the
// time limit is reported as hung.
//
// One player serves every input of a run (shared()): starting an engine thread and its output for each input
// cost more than the input itself. After each input the player's input is closed and a ping answered, so
// every message of one input has arrived before the next begins.

#include "fuzz_support.h"

#include "platform/decoder/xaudio.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <vector>

namespace fuzz {

class EngineRun : public QObject {
public:
    EngineRun() { player_new(&player_, this); }
    ~EngineRun() override { player_delete(player_); }
    EngineRun(const EngineRun &) = delete;
    EngineRun &operator=(const EngineRun &) = delete;

    XA_Player *player() const { return player_; }

    // The player of the run, made on first use with its output opened. Never destroyed: at exit Qt's own
    // globals are gone before a static object's destructor would run.
    static EngineRun &shared()
    {
        static EngineRun *run = nullptr;
        if (!run) {
            run = new EngineRun;
            FUZZ_CHECK(control_message_send_S(run->player(), XA_MSG_COMMAND_OUTPUT_OPEN, "test") == XA_SUCCESS,
                       QStringLiteral("output"));
        }
        return *run;
    }

    bool event(QEvent *e) override
    {
        XA_Message m;
        if (control_event_to_message(player_, &m, e) != XA_SUCCESS)
            return QObject::event(e);
        messages_.push_back(std::move(m));
        return true;
    }

    // Opens `name`, plays it and waits until it ends; then the engine must still answer.
    void play(const QString &name, int limitMs)
    {
        messages_.clear();
        FUZZ_CHECK(control_message_send_S(player_, XA_MSG_COMMAND_INPUT_OPEN, name.toUtf8().constData()) ==
                       XA_SUCCESS,
                   name);
        FUZZ_CHECK(control_message_send_N(player_, XA_MSG_COMMAND_PLAY) == XA_SUCCESS, name);
        bool playing = false;
        const bool ended = waitFor(
            [&](const XA_Message &m) {
                if (isNack(m, XA_MSG_COMMAND_INPUT_OPEN) || isNack(m, XA_MSG_COMMAND_PLAY))
                    return true;
                if (m.code == XA_MSG_NOTIFY_PLAYER_STATE) {
                    if (m.u8(4) == XA_PLAYER_STATE_PLAYING)
                        playing = true;
                    else if (m.u8(4) == XA_PLAYER_STATE_EOF || (playing && m.u8(4) == XA_PLAYER_STATE_STOPPED))
                        return true;
                }
                return false;
            },
            limitMs);
        FUZZ_CHECK(ended, QStringLiteral("the engine neither refused nor finished ") + name);
        const size_t mark = messages_.size();
        control_message_send_N(player_, XA_MSG_COMMAND_INPUT_CLOSE);
        control_message_send_I(player_, XA_MSG_COMMAND_PING, 7);
        FUZZ_CHECK(waitFor([](const XA_Message &m) { return m.code == XA_MSG_NOTIFY_PONG; }, 5000, mark),
                   QStringLiteral("the engine stopped answering after ") + name);
    }

private:
    static bool isNack(const XA_Message &m, int command)
    {
        return m.code == XA_MSG_NOTIFY_NACK && m.u8(4) == command;
    }

    // Sleeps in the event loop until the engine posts a message (or the limit passes), never polling.
    template <typename Match> bool waitFor(Match match, int limitMs, size_t from = 0)
    {
        QDeadlineTimer deadline(limitMs);
        QTimer wake;
        wake.setSingleShot(true);
        wake.start(limitMs);
        size_t i = from;
        while (true) {
            for (; i < messages_.size(); ++i) {
                if (match(messages_[i]))
                    return true;
            }
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
    }

    XA_Player *player_ = nullptr;
    std::vector<XA_Message> messages_;
};

}  // namespace fuzz
