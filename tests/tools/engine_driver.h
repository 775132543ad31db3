#pragma once
// Drives one player of the decoder library from the calling thread, for the tests, the benchmarks and the
// fuzzers alike. Every notification the player posts is kept in order in `messages`, stamped in `receivedNs`
// with the time it reached this thread.
//
// Two ways to wait, both sleeping in the thread's event loop until the player posts (never polling):
// - by index: waitFor/waitCode/waitState/waitReply look at the messages from an index on and return the
//   index of the first match (or -1), leaving the list as it is, so that a test can look back at everything;
// - by taking: take/takeState/takeAck hand out the messages one by one from a cursor, each once, passing the
//   ones that do not match to onSkipped; a benchmark uses them to time one answer after another.

#include "platform/decoder/xaudio.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

namespace testtools {

// Nanoseconds on a monotonic clock shared by the whole process.
qint64 nowNs();

bool isState(const XA_Message &m, int state);
// The Ack or the Nack of `command`.
bool isReply(const XA_Message &m, int command);

struct Received {
    XA_Message message;
    qint64 ns = 0;
};

class EngineDriver : public QObject {
public:
    EngineDriver();
    ~EngineDriver() override;
    EngineDriver(const EngineDriver &) = delete;
    EngineDriver &operator=(const EngineDriver &) = delete;

    // False when the player could not be made.
    bool ok() const { return player_ != nullptr; }
    XA_Player *player() const { return player_; }

    void send(int code);
    void send(int code, int a);
    void send(int code, int a, int b);
    void send(int code, const QString &text);

    // --- Waiting by index
    // Waits until a message at or after index `from` satisfies `match`; returns its index, or -1 after
    // `timeoutMs`.
    int waitFor(const std::function<bool(const XA_Message &)> &match, int timeoutMs = 10000, size_t from = 0);
    int waitCode(int code, int timeoutMs = 10000, size_t from = 0);
    int waitState(int state, int timeoutMs = 10000, size_t from = 0);
    // The Ack or Nack for `command` at or after index `from`.
    int waitReply(int command, int timeoutMs = 10000, size_t from = 0);
    // Opens `name` and waits for the outcome and every message about it; true when the input reported
    // itself open.
    bool open(const QString &name, int timeoutMs = 10000);
    // Plays what is open to `wavPath` through the wav output and waits for the end of file.
    bool playToWav(const QString &wavPath, int timeoutMs = 30000);
    // Opens `name`, plays it to the output already open and waits for its end: the open or the play
    // refused, the end of file, or a stop after it had started playing (an error). False when none of
    // these came within `limitMs`.
    bool playThrough(const QString &name, int limitMs);
    // Closes the input and waits for the answer to a ping: every message the player had to send about
    // what came before has then arrived. False when the player does not answer within `limitMs`.
    bool closeAndPing(int limitMs);
    std::vector<int> codesFrom(size_t from) const;
    // The last message with that code, or null.
    const XA_Message *last(int code) const;
    // Forgets every message received so far.
    void clear();

    // --- Waiting by taking
    // Processes events until a message not yet taken satisfies `match` (those before it are taken too and
    // handed to onSkipped, if set). Returns it, or nothing after `timeoutMs`.
    std::optional<Received> take(const std::function<bool(const XA_Message &)> &match, int timeoutMs);
    std::optional<Received> takeState(int state, int timeoutMs);
    // True on the Ack of `command`, false on its Nack (lastError says why) or on timeout.
    bool takeAck(int command, int timeoutMs);
    // Takes every message received so far and those still queued for this thread.
    void discardPending();
    // Open the output and the input; true once both report success.
    bool openOutput(const char *name, int timeoutMs = 10000);
    bool openInput(const QString &file, int timeoutMs = 30000);

    std::function<void(const Received &)> onSkipped;
    QString lastError;

    std::vector<XA_Message> messages;
    std::vector<qint64> receivedNs;  // when each of messages arrived, by nowNs()

protected:
    bool event(QEvent *event) override;

private:
    // Sleeps in the event loop until an event arrives or the deadline (nowNs) passes; false once it has.
    bool sleepUntil(qint64 deadlineNs);

    XA_Player *player_ = nullptr;
    size_t taken_ = 0;  // messages before this index have been taken
    QTimer wake_;       // ends a sleep at its deadline
};

}  // namespace testtools
