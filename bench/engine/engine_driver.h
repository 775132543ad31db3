#pragma once
// Drives one player of the decoder library from the calling thread: sends commands and waits, with the
// thread's event loop running, for the notifications that answer them. Every notification is stamped with
// the time it was received on this thread.

#include "platform/decoder/xaudio.h"

#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>

namespace bench {

// Nanoseconds on a monotonic clock shared by the whole process.
qint64 nowNs();

struct Received {
    XA_Message message;
    qint64 ns = 0;
};

class EngineDriver : public QObject {
public:
    EngineDriver();
    ~EngineDriver() override;

    bool ok() const { return player_ != nullptr; }
    XA_Player *player() const { return player_; }

    // Processes events until a notification satisfying `match` arrives (notifications before it are
    // consumed and handed to `onSkipped`, if set). Returns it, or nothing after `timeoutMs`.
    std::optional<Received> waitFor(const std::function<bool(const XA_Message &)> &match, int timeoutMs);
    std::optional<Received> waitForState(int state, int timeoutMs);
    // True on the Ack of `command`, false on its Nack or on timeout.
    bool waitForAck(int command, int timeoutMs);
    // Drops every notification received so far (and those still queued for this thread).
    void discardPending();

    // Opens the output and the input; true once both report success.
    bool openOutput(const char *name, int timeoutMs = 10000);
    bool openInput(const QString &file, int timeoutMs = 30000);

    std::function<void(const Received &)> onSkipped;
    QString lastError;

protected:
    bool event(QEvent *event) override;

private:
    XA_Player *player_ = nullptr;
    std::deque<Received> inbox_;
    QTimer heartbeat_;  // wakes the event loop when a wait times out
};

bool isState(const XA_Message &m, int state);

} // namespace bench
