// An http server that stalls or closes before the first whole frame, sends garbage after good audio, or stalls
// a radio stream: the engine reports a Nack or an end of file, keeps answering while the transfer hangs, and
// the calling thread is never held up by it: commands return at once and its own timers keep running.

#include "tools/engine_driver.h"
#include "tools/fixtures.h"
#include "tools/httpserver.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace testtools;

namespace {

bool isOpenNack(const XA_Message &m) { return m.code == XA_MSG_NOTIFY_NACK && m.u8(4) == XA_MSG_COMMAND_INPUT_OPEN; }

}  // namespace

class TestStreamFaults : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    TestHttpServer server_;
    QByteArray song_;

    static void shortTimeouts(EngineDriver &p)
    {
        control_message_send_SI(p.player(), XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, "http.stall_timeout_ms", 1000);
        control_message_send_SI(p.player(), XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, "http.connect_timeout_ms", 2000);
    }
    static bool answers(EngineDriver &p)
    {
        const size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PING, 9);
        return p.waitCode(XA_MSG_NOTIFY_PONG, 3000, mark) >= 0;
    }
    // Opens the url and, if it opened, plays it to the test output. Returns how it ended: "nack", "eof" or
    // "hung".
    static QString openAndPlay(EngineDriver &p, const QString &url)
    {
        const size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("test"));
        p.send(XA_MSG_COMMAND_INPUT_OPEN, url);
        p.send(XA_MSG_COMMAND_PLAY);
        const int i = p.waitFor(
            [](const XA_Message &m) {
                return isOpenNack(m) || (m.code == XA_MSG_NOTIFY_PLAYER_STATE && m.u8(4) == XA_PLAYER_STATE_EOF);
            },
            20000, mark);
        if (i < 0)
            return QStringLiteral("hung");
        return isOpenNack(p.messages[size_t(i)]) ? QStringLiteral("nack") : QStringLiteral("eof");
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(server_.isListening());
        Fixtures fx(dir_.path());
        Tone t;
        t.seconds = 6;
        const QString song = fx.mp3(QStringLiteral("song.mp3"), t);
        QVERIFY2(!song.isEmpty(), qPrintable(fx.error()));
        QFile file(song);
        QVERIFY(file.open(QIODevice::ReadOnly));
        song_ = file.readAll();
        QVERIFY(song_.size() > 60000);
    }

    void stallsBeforeTheFirstFrame()
    {
        HttpResponse r = HttpResponse::ok(song_);
        r.stallAfter = 0;  // headers, then nothing
        server_.setRoute(QStringLiteral("/stall-at-once"), r);
        EngineDriver p;
        shortTimeouts(p);
        QCOMPARE(openAndPlay(p, server_.url(QStringLiteral("/stall-at-once"))), QStringLiteral("nack"));
        QCOMPARE(int(p.last(XA_MSG_NOTIFY_NACK)->s16(6)), int(XA_ERROR_NETWORK_TIMEOUT));
        QVERIFY(answers(p));
    }

    void closesInsideTheFirstFrame_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<qint64>("closeAfter");
        QTest::newRow("sized, 1 byte") << int(HttpResponse::Length::ContentLength) << qint64(1);
        QTest::newRow("sized, 300 bytes") << int(HttpResponse::Length::ContentLength) << qint64(300);
        QTest::newRow("chunked, 300 bytes") << int(HttpResponse::Length::Chunked) << qint64(300);
        QTest::newRow("no length, 0 bytes") << int(HttpResponse::Length::None) << qint64(0);
    }
    void closesInsideTheFirstFrame()
    {
        QFETCH(int, length);
        QFETCH(qint64, closeAfter);
        HttpResponse r = HttpResponse::ok(song_, HttpResponse::Length(length));
        r.closeAfter = closeAfter;
        const QString path = QStringLiteral("/close-%1-%2").arg(length).arg(closeAfter);
        server_.setRoute(path, r);
        EngineDriver p;
        shortTimeouts(p);
        const QString end = openAndPlay(p, server_.url(path));
        QVERIFY2(end != u"hung", "neither a Nack nor an end of file");
        QVERIFY(answers(p));
    }

    void garbageAfterGoodAudio()
    {
        // Good frames, then random bytes to the end of the body: the part that decodes plays, then the song ends.
        QByteArray body = song_.left(40000);
        body += HttpResponse::garbageBytes(60000, 11).body;
        server_.setRoute(QStringLiteral("/garbage-tail"), HttpResponse::ok(body));
        EngineDriver p;
        shortTimeouts(p);
        QCOMPARE(openAndPlay(p, server_.url(QStringLiteral("/garbage-tail"))), QStringLiteral("eof"));
        QVERIFY(p.last(XA_MSG_NOTIFY_INPUT_TIMECODE) != nullptr);
        QVERIFY(answers(p));
    }

    void stalledRadioLeavesTheCallerFree()
    {
        HttpResponse r = HttpResponse::ok(song_, HttpResponse::Length::None);
        r.icyMetaInt = 8000;
        r.icyTitles = {QStringLiteral("Radio - Song")};
        r.repeatBody = true;
        r.stallAfter = 30000;
        server_.setRoute(QStringLiteral("/radio"), r);
        EngineDriver p;
        // The stall outlasts everything below: only the commands end it.
        control_message_send_SI(p.player(), XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, "http.stall_timeout_ms", 600000);
        QVERIFY(p.open(server_.url(QStringLiteral("/radio"))));
        size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("test"));
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_PLAYING, 10000, mark) >= 0);
        QVERIFY(server_.waitForRequests(1, 5000));

        // While the transfer hangs, the calling thread's own timer keeps firing and every command returns at
        // once with success; the engine answers each of them.
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(10);
        mark = p.messages.size();
        const int commands[] = {XA_MSG_COMMAND_PAUSE, XA_MSG_COMMAND_PLAY, XA_MSG_COMMAND_INPUT_SEEK,
                                XA_MSG_COMMAND_STOP, XA_MSG_COMMAND_PLAY};
        for (const int code : commands) {
            if (code == XA_MSG_COMMAND_INPUT_SEEK)
                QCOMPARE(control_message_send_II(p.player(), code, 1, 2), int(XA_SUCCESS));
            else
                QCOMPARE(control_message_send_N(p.player(), code), int(XA_SUCCESS));
        }
        for (const int code : commands)
            QVERIFY2(p.waitReply(code, 5000, mark) >= 0, qPrintable(QString::number(code)));
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 5, 5000);
        QVERIFY(answers(p));
        // Closing the input while the server still stalls: acknowledged, and the connection is let go.
        mark = p.messages.size();
        p.send(XA_MSG_COMMAND_INPUT_CLOSE);
        const int reply = p.waitReply(XA_MSG_COMMAND_INPUT_CLOSE, 5000, mark);
        QVERIFY(reply >= 0);
        QCOMPARE(p.messages[size_t(reply)].code, int(XA_MSG_NOTIFY_ACK));
        QTRY_VERIFY_WITH_TIMEOUT(server_.openConnections() == 0, 10000);
    }
};

QTEST_GUILESS_MAIN(TestStreamFaults)
#include "test_stream_faults.moc"
