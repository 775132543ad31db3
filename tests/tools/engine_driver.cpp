#include "tools/engine_driver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

namespace testtools {

qint64 nowNs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock.nsecsElapsed();
}

bool isState(const XA_Message &m, int state) { return m.code == XA_MSG_NOTIFY_PLAYER_STATE && m.u8(4) == state; }

bool isReply(const XA_Message &m, int command)
{
    return (m.code == XA_MSG_NOTIFY_ACK || m.code == XA_MSG_NOTIFY_NACK) && m.u8(4) == command;
}

EngineDriver::EngineDriver()
{
    nowNs();
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
    if (player_new(&player_, this) != XA_SUCCESS)
        player_ = nullptr;
}

EngineDriver::~EngineDriver()
{
    player_delete(player_);
    QCoreApplication::removePostedEvents(this);
}

bool EngineDriver::event(QEvent *event)
{
    XA_Message m;
    if (player_ && control_event_to_message(player_, &m, event) == XA_SUCCESS) {
        messages.push_back(std::move(m));
        receivedNs.push_back(nowNs());
        return true;
    }
    return QObject::event(event);
}

void EngineDriver::send(int code) { control_message_send_N(player_, code); }
void EngineDriver::send(int code, int a) { control_message_send_I(player_, code, a); }
void EngineDriver::send(int code, int a, int b) { control_message_send_II(player_, code, a, b); }
void EngineDriver::send(int code, const QString &text)
{
    control_message_send_S(player_, code, text.toUtf8().constData());
}

bool EngineDriver::sleepUntil(qint64 deadlineNs)
{
    const qint64 left = deadlineNs - nowNs();
    if (left <= 0)
        return false;
    // The timer is started once per wait; a timer that fired a little early is started again, else the
    // wait below would not end at the deadline.
    if (!wake_.isActive())
        wake_.start(int(left / 1000000) + 1);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return true;
}

int EngineDriver::waitFor(const std::function<bool(const XA_Message &)> &match, int timeoutMs, size_t from)
{
    const qint64 deadline = nowNs() + qint64(timeoutMs) * 1000000;
    size_t i = from;
    int found = -1;
    do {
        for (; i < messages.size(); ++i) {
            if (match(messages[i])) {
                found = static_cast<int>(i);
                break;
            }
        }
    } while (found < 0 && sleepUntil(deadline));
    wake_.stop();
    return found;
}

int EngineDriver::waitCode(int code, int timeoutMs, size_t from)
{
    return waitFor([code](const XA_Message &m) { return m.code == code; }, timeoutMs, from);
}

int EngineDriver::waitState(int state, int timeoutMs, size_t from)
{
    return waitFor([state](const XA_Message &m) { return isState(m, state); }, timeoutMs, from);
}

int EngineDriver::waitReply(int command, int timeoutMs, size_t from)
{
    return waitFor([command](const XA_Message &m) { return isReply(m, command); }, timeoutMs, from);
}

bool EngineDriver::open(const QString &name, int timeoutMs)
{
    const size_t from = messages.size();
    send(XA_MSG_COMMAND_INPUT_OPEN, name);
    const int i = waitFor(
        [](const XA_Message &m) {
            return (m.code == XA_MSG_NOTIFY_INPUT_STATE && m.u8(4) == XA_INPUT_STATE_OPEN) ||
                (m.code == XA_MSG_NOTIFY_NACK && m.u8(4) == XA_MSG_COMMAND_INPUT_OPEN);
        },
        timeoutMs, from);
    // The input's name, caps, stream info and duration follow the input state: a ping answered after them
    // makes sure they have all arrived before the caller looks for them.
    const size_t mark = messages.size();
    send(XA_MSG_COMMAND_PING, 0);
    waitCode(XA_MSG_NOTIFY_PONG, 5000, mark);
    return i >= 0 && messages[size_t(i)].code == XA_MSG_NOTIFY_INPUT_STATE && messages[size_t(i)].u8(4) == 0;
}

bool EngineDriver::playToWav(const QString &wavPath, int timeoutMs)
{
    const size_t from = messages.size();
    send(XA_MSG_COMMAND_OUTPUT_OPEN, "wav:" + wavPath);
    send(XA_MSG_COMMAND_PLAY);
    const bool ended = waitState(XA_PLAYER_STATE_EOF, timeoutMs, from) >= 0;
    send(XA_MSG_COMMAND_OUTPUT_CLOSE);  // writes the WAV header's sizes
    return ended && waitReply(XA_MSG_COMMAND_OUTPUT_CLOSE, 5000, from) >= 0;
}

bool EngineDriver::playThrough(const QString &name, int limitMs)
{
    const size_t from = messages.size();
    send(XA_MSG_COMMAND_INPUT_OPEN, name);
    send(XA_MSG_COMMAND_PLAY);
    bool playing = false;
    return waitFor(
               [&playing](const XA_Message &m) {
                   if (m.code == XA_MSG_NOTIFY_NACK &&
                       (m.u8(4) == XA_MSG_COMMAND_INPUT_OPEN || m.u8(4) == XA_MSG_COMMAND_PLAY))
                       return true;
                   if (m.code != XA_MSG_NOTIFY_PLAYER_STATE)
                       return false;
                   if (m.u8(4) == XA_PLAYER_STATE_PLAYING)
                       playing = true;
                   return m.u8(4) == XA_PLAYER_STATE_EOF || (playing && m.u8(4) == XA_PLAYER_STATE_STOPPED);
               },
               limitMs, from) >= 0;
}

bool EngineDriver::closeAndPing(int limitMs)
{
    const size_t from = messages.size();
    send(XA_MSG_COMMAND_INPUT_CLOSE);
    send(XA_MSG_COMMAND_PING, 7);
    return waitCode(XA_MSG_NOTIFY_PONG, limitMs, from) >= 0;
}

std::vector<int> EngineDriver::codesFrom(size_t from) const
{
    std::vector<int> codes;
    for (size_t i = from; i < messages.size(); ++i)
        codes.push_back(messages[i].code);
    return codes;
}

const XA_Message *EngineDriver::last(int code) const
{
    for (auto it = messages.rbegin(); it != messages.rend(); ++it)
        if (it->code == code)
            return &*it;
    return nullptr;
}

void EngineDriver::clear()
{
    messages.clear();
    receivedNs.clear();
    taken_ = 0;
}

std::optional<Received> EngineDriver::take(const std::function<bool(const XA_Message &)> &match, int timeoutMs)
{
    const qint64 deadline = nowNs() + qint64(timeoutMs) * 1000000;
    std::optional<Received> found;
    do {
        while (!found && taken_ < messages.size()) {
            const size_t i = taken_++;
            Received r{messages[i], receivedNs[i]};
            if (match(r.message))
                found = std::move(r);
            else if (onSkipped)
                onSkipped(r);
        }
    } while (!found && sleepUntil(deadline));
    wake_.stop();
    return found;
}

std::optional<Received> EngineDriver::takeState(int state, int timeoutMs)
{
    return take([state](const XA_Message &m) { return isState(m, state); }, timeoutMs);
}

bool EngineDriver::takeAck(int command, int timeoutMs)
{
    const auto r = take([command](const XA_Message &m) { return isReply(m, command); }, timeoutMs);
    if (!r) {
        lastError = QStringLiteral("no answer to command %1").arg(command);
        return false;
    }
    if (r->message.code == XA_MSG_NOTIFY_NACK) {
        lastError = QStringLiteral("command %1 refused: %2")
                        .arg(command)
                        .arg(QString::fromUtf8(xaudio_error_string(r->message.s16(6))));
        return false;
    }
    return true;
}

void EngineDriver::discardPending()
{
    QCoreApplication::processEvents();
    taken_ = messages.size();
}

bool EngineDriver::openOutput(const char *name, int timeoutMs)
{
    control_message_send_S(player_, XA_MSG_COMMAND_OUTPUT_OPEN, name);
    return takeAck(XA_MSG_COMMAND_OUTPUT_OPEN, timeoutMs);
}

bool EngineDriver::openInput(const QString &file, int timeoutMs)
{
    control_message_send_S(player_, XA_MSG_COMMAND_INPUT_OPEN, QFile::encodeName(file).constData());
    if (!takeAck(XA_MSG_COMMAND_INPUT_OPEN, timeoutMs))
        return false;
    const auto r = take([](const XA_Message &m) { return m.code == XA_MSG_NOTIFY_INPUT_STATE; }, timeoutMs);
    if (!r || r->message.u8(4) != XA_INPUT_STATE_OPEN) {
        lastError = QStringLiteral("the input did not open: %1").arg(file);
        return false;
    }
    return true;
}

}  // namespace testtools
