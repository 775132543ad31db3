#include "engine_driver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

namespace bench {

qint64 nowNs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock.nsecsElapsed();
}

bool isState(const XA_Message &m, int state)
{
    return m.code == XA_MSG_NOTIFY_PLAYER_STATE && m.u8(4) == state;
}

EngineDriver::EngineDriver()
{
    nowNs();
    if (player_new(&player_, this) != XA_SUCCESS)
        player_ = nullptr;
    heartbeat_.setSingleShot(true);
}

EngineDriver::~EngineDriver()
{
    player_delete(player_);
    QCoreApplication::removePostedEvents(this);
}

bool EngineDriver::event(QEvent *event)
{
    Received r;
    if (player_ && control_event_to_message(player_, &r.message, event) == XA_SUCCESS) {
        r.ns = nowNs();
        inbox_.push_back(std::move(r));
        return true;
    }
    return QObject::event(event);
}

std::optional<Received> EngineDriver::waitFor(const std::function<bool(const XA_Message &)> &match, int timeoutMs)
{
    const qint64 deadline = nowNs() + qint64(timeoutMs) * 1000000;
    heartbeat_.start(timeoutMs);
    for (;;) {
        while (!inbox_.empty()) {
            Received r = std::move(inbox_.front());
            inbox_.pop_front();
            if (match(r.message)) {
                heartbeat_.stop();
                return r;
            }
            if (onSkipped)
                onSkipped(r);
        }
        const qint64 left = deadline - nowNs();
        if (left <= 0)
            break;
        // A coarse timer may fire a little early: without a new one the wait below would never end.
        if (!heartbeat_.isActive())
            heartbeat_.start(int(left / 1000000) + 1);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    heartbeat_.stop();
    return std::nullopt;
}

std::optional<Received> EngineDriver::waitForState(int state, int timeoutMs)
{
    return waitFor([state](const XA_Message &m) { return isState(m, state); }, timeoutMs);
}

bool EngineDriver::waitForAck(int command, int timeoutMs)
{
    const auto r = waitFor(
        [command](const XA_Message &m) {
            return (m.code == XA_MSG_NOTIFY_ACK || m.code == XA_MSG_NOTIFY_NACK) && m.u8(4) == command;
        },
        timeoutMs);
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
    inbox_.clear();
}

bool EngineDriver::openOutput(const char *name, int timeoutMs)
{
    control_message_send_S(player_, XA_MSG_COMMAND_OUTPUT_OPEN, name);
    return waitForAck(XA_MSG_COMMAND_OUTPUT_OPEN, timeoutMs);
}

bool EngineDriver::openInput(const QString &file, int timeoutMs)
{
    control_message_send_S(player_, XA_MSG_COMMAND_INPUT_OPEN, QFile::encodeName(file).constData());
    if (!waitForAck(XA_MSG_COMMAND_INPUT_OPEN, timeoutMs))
        return false;
    const auto r = waitFor([](const XA_Message &m) { return m.code == XA_MSG_NOTIFY_INPUT_STATE; }, timeoutMs);
    if (!r || r->message.u8(4) != XA_INPUT_STATE_OPEN) {
        lastError = QStringLiteral("the input did not open: %1").arg(file);
        return false;
    }
    return true;
}

} // namespace bench
