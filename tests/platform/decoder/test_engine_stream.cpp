// Playing http streams from a server on 127.0.0.1: plain and ICY responses decode to the same audio as the
// file, metadata never reaches the decoder, redirects are followed, and every kind of server failure ends in
// a Nack or an end of file while the engine keeps answering.

#include "tools/engine_driver.h"
#include "tools/fixtures.h"
#include "tools/httpserver.h"
#include "tools/pcm.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace testtools;

class TestEngineStream : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<Fixtures> fx_;
    TestHttpServer server_;
    QString song_;
    Pcm plain_;  // the song as a plain http transfer plays it
    int run_ = 0;

    Pcm playUrl(EngineDriver &p, const QString &url)
    {
        if (!p.open(url))
            return {};
        const QString out = dir_.filePath(QStringLiteral("stream-%1.wav").arg(++run_));
        if (!p.playToWav(out, 30000))
            return {};
        return readWav(out);
    }
    static void shortTimeouts(EngineDriver &p)
    {
        control_message_send_SI(p.player(), XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, "http.stall_timeout_ms", 1000);
        control_message_send_SI(p.player(), XA_MSG_SET_PLAYER_ENVIRONMENT_INTEGER, "http.connect_timeout_ms", 2000);
    }
    // The most address space the process has held, in KB.
    static qint64 peakVirtualKb()
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmPeak:"))
                return line.mid(7).trimmed().split(' ').value(0).toLongLong();
        return -1;
    }
    static bool stillServing(EngineDriver &p)
    {
        const size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PING, 5);
        return p.waitCode(XA_MSG_NOTIFY_PONG, 3000, mark) >= 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(server_.isListening());
        fx_ = std::make_unique<Fixtures>(dir_.path());
        Tone t;
        t.signal = Signal::TwoTone;
        t.seconds = 8;
        song_ = fx_->mp3("song.mp3", t);
        QVERIFY2(!song_.isEmpty(), qPrintable(fx_->error()));
        QVERIFY(server_.setFileRoute("/song.mp3", song_));
    }

    void plainTransferPlaysTheSong()
    {
        EngineDriver p;
        plain_ = playUrl(p, server_.url("/song.mp3"));
        QVERIFY(plain_.ok());
        const Pcm file = decodeWithMpg123(song_);
        // A stream's decoder does not know where the data ends, so at most the encoder's padding may differ.
        QVERIFY2(qAbs(plain_.frames() - file.frames()) <= 1152 * 2,
                 qPrintable(QStringLiteral("%1 vs %2").arg(plain_.frames()).arg(file.frames())));
        const Pcm head = slice(file, 0, 7.5);
        QCOMPARE(maxAbsDifference(slice(plain_, 0, 7.5), head), 0);
        // A stream reports what it is, and that it cannot seek.
        const XA_Message *caps = p.last(XA_MSG_NOTIFY_INPUT_CAPS);
        QVERIFY(caps && (caps->u32(4) & XA_INPUT_CAPS_STREAM));
        QVERIFY(p.last(XA_MSG_NOTIFY_INPUT_STREAM_INFO)->u16(6) == 128);
        const size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_INPUT_SEEK, 1, 2);
        QVERIFY(p.waitReply(XA_MSG_COMMAND_INPUT_SEEK, 5000, mark) >= 0);
        QCOMPARE(p.last(XA_MSG_NOTIFY_NACK)->s16(6), int16_t(XA_ERROR_INPUT_NOT_SEEKABLE));
    }

    void icyMetadataIsAskedForAndStripped_data()
    {
        QTest::addColumn<bool>("icyStatusLine");
        QTest::addColumn<bool>("chunkedPlain");
        QTest::newRow("ICY 200 OK") << true << false;
        QTest::newRow("HTTP/1.0 with icy headers") << false << false;
    }
    void icyMetadataIsAskedForAndStripped()
    {
        QFETCH(bool, icyStatusLine);
        QVERIFY(plain_.ok());
        HttpResponse r;
        r.icyMetaInt = 4000;  // not a multiple of any frame length, so blocks fall inside frames
        r.icyTitles = {QStringLiteral("First - Song"), QStringLiteral("First - Song"), QStringLiteral("Second - Song")};
        r.icyStatusLine = icyStatusLine;
        QVERIFY(server_.setFileRoute("/radio", song_, r));
        const int before = server_.requests().size();
        EngineDriver p;
        const Pcm got = playUrl(p, server_.url("/radio"));
        QVERIFY(got.ok());
        QVERIFY(server_.requests().size() > before);
        QCOMPARE(server_.requests().last().header("Icy-MetaData"), QByteArray("1"));
        // Byte for byte the audio of the plain transfer: no metadata was decoded as sound.
        QCOMPARE(got.frames(), plain_.frames());
        QCOMPARE(maxAbsDifference(got, plain_), 0);
    }

    void redirectsAreFollowed()
    {
        server_.setRoute("/old", HttpResponse::redirect("/moved"));
        server_.setRoute("/moved", HttpResponse::redirect(server_.url("/song.mp3").toUtf8(), 301));
        EngineDriver p;
        const Pcm got = playUrl(p, server_.url("/old"));
        QVERIFY(got.ok());
        QCOMPARE(maxAbsDifference(got, plain_), 0);
    }

    void aStreamsId3v2TagIsSteppedOver()
    {
        QVERIFY(plain_.ok());
        // An ID3v2.3 header claiming `size` bytes of tag after it (the size in 7-bit bytes).
        auto tag = [](quint32 size) {
            QByteArray t("ID3\x03\x00\x00", 6);
            for (int shift = 21; shift >= 0; shift -= 7)
                t += char((size >> shift) & 0x7F);
            return t;
        };
        // 1.5 MB of tag in front of the song (cover art and all: more than the megabyte without audio after which
        // a stream is refused), all of it arrived before the engine reads: the audio is the plain transfer's.
        QFile song(song_);
        QVERIFY(song.open(QIODevice::ReadOnly));
        const int tagSize = 1536 * 1024;
        server_.setRoute(
            "/tagged.mp3",
            HttpResponse::ok(tag(tagSize) + QByteArray(tagSize, '\0') + song.readAll(), HttpResponse::Length::None));
        EngineDriver p;
        const Pcm got = playUrl(p, server_.url("/tagged.mp3"));
        QVERIFY(got.ok());
        QCOMPARE(got.frames(), plain_.frames());
        QCOMPARE(maxAbsDifference(got, plain_), 0);
        // The same behind a tag, at a quarter of a rate that has no quarter: the engine starts the stream over
        // at half the rate, from the first frame after the tag.
        Tone low;
        low.seconds = 2;
        Mp3Options lowOptions;
        lowOptions.resampleHz = 22050;
        lowOptions.bitrate = 64;
        QFile lowSong(fx_->mp3("low.mp3", low, lowOptions));
        QVERIFY(lowSong.open(QIODevice::ReadOnly));
        server_.setRoute(
            "/tagged-low.mp3",
            HttpResponse::ok(tag(tagSize) + QByteArray(tagSize, '\0') + lowSong.readAll(), HttpResponse::Length::None));
        EngineDriver q;
        q.send(XA_MSG_SET_CODEC_QUALITY, XA_CODEC_QUALITY_QUARTER);
        const Pcm quarter = playUrl(q, server_.url("/tagged-low.mp3"));
        QCOMPARE(quarter.rate, 11025);
        QVERIFY2(qAbs(quarter.seconds() - 2.0) < 0.1, qPrintable(QString::number(quarter.seconds())));
        // A tag claiming the most an ID3v2 size can say (256 MB) in a stream of a few bytes: nothing is set
        // aside for what it claims, and the open fails as for any stream without audio.
        const qint64 before = peakVirtualKb();
        server_.setRoute("/claims.mp3", HttpResponse::ok(tag(0x0FFFFFFF) + "short", HttpResponse::Length::None));
        shortTimeouts(p);
        const size_t mark = p.messages.size();
        QVERIFY(p.playThrough(server_.url("/claims.mp3"), 15000));
        QVERIFY(p.waitFor(
                    [](const XA_Message &m) {
                        return m.code == XA_MSG_NOTIFY_NACK && m.u8(4) == XA_MSG_COMMAND_INPUT_OPEN;
                    },
                    1000, mark) >= 0);
        const qint64 grown = peakVirtualKb() - before;
        QVERIFY2(grown < 64 * 1024, qPrintable(QStringLiteral("address space grew by %1 KB").arg(grown)));
        QVERIFY(stillServing(p));
    }

    void refusedOpensAreNacked_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("code");
        QTest::newRow("404") << server_.url("/missing.mp3") << int(XA_ERROR_NETWORK_HTTP_STATUS);
        server_.setRoute("/garbage", HttpResponse::garbageBytes(5000));
        QTest::newRow("garbage instead of http") << server_.url("/garbage") << 0;
        server_.setRoute("/text", HttpResponse::ok(QByteArray(20000, 'x')));
        QTest::newRow("not audio") << server_.url("/text") << int(XA_ERROR_INPUT_NOT_MPEG_AUDIO);
        QTcpServer closed;
        closed.listen(QHostAddress::LocalHost);
        const quint16 port = closed.serverPort();
        closed.close();
        QTest::newRow("connection refused")
            << QStringLiteral("http://127.0.0.1:%1/x.mp3").arg(port) << int(XA_ERROR_NETWORK_CONNECT_FAILED);
        QTest::newRow("ftp") << QStringLiteral("ftp://127.0.0.1/x.mp3") << int(XA_ERROR_INPUT_NOT_FOUND);
    }
    void refusedOpensAreNacked()
    {
        QFETCH(QString, url);
        QFETCH(int, code);
        EngineDriver p;
        shortTimeouts(p);
        QVERIFY(!p.open(url, 15000));
        const XA_Message *nack = p.last(XA_MSG_NOTIFY_NACK);
        QVERIFY(nack && nack->u8(4) == XA_MSG_COMMAND_INPUT_OPEN);
        if (code != 0)
            QCOMPARE(int(nack->s16(6)), code);
        else
            QVERIFY(nack->s16(6) < 0);
        QVERIFY(stillServing(p));
    }

    void serverFailuresMidSongEndTheSong_data()
    {
        QTest::addColumn<QString>("path");
        HttpResponse stall;
        stall.stallAfter = 60000;
        QVERIFY(server_.setFileRoute("/stall", song_, stall));
        QTest::newRow("stalls") << QStringLiteral("/stall");
        HttpResponse close;
        close.closeAfter = 50001;
        QVERIFY(server_.setFileRoute("/close", song_, close));
        QTest::newRow("closes mid-frame") << QStringLiteral("/close");
        HttpResponse chunked;
        chunked.length = HttpResponse::Length::Chunked;
        chunked.closeAfter = 70003;
        QVERIFY(server_.setFileRoute("/chunked-close", song_, chunked));
        QTest::newRow("chunked, closes") << QStringLiteral("/chunked-close");
    }
    void serverFailuresMidSongEndTheSong()
    {
        QFETCH(QString, path);
        EngineDriver p;
        shortTimeouts(p);
        QVERIFY(p.open(server_.url(path)));
        const size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("test"));
        p.send(XA_MSG_COMMAND_PLAY);
        // While the transfer hangs the engine keeps answering.
        QVERIFY(stillServing(p));
        QVERIFY(p.waitState(XA_PLAYER_STATE_EOF, 15000, mark) >= 0);
        QVERIFY(stillServing(p));
    }

    void closingWhileConnectingReturnsAtOnce()
    {
        // A server that accepts the connection and never answers.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        const QString url = QStringLiteral("http://127.0.0.1:%1/never.mp3").arg(silent.serverPort());
        QElapsedTimer deleting;
        {
            EngineDriver p;
            size_t mark = p.messages.size();
            p.send(XA_MSG_COMMAND_INPUT_OPEN, url);
            p.send(XA_MSG_COMMAND_PLAY);
            QVERIFY(p.waitReply(XA_MSG_COMMAND_PLAY, 3000, mark) >= 0);
            QVERIFY(stillServing(p));
            // Re-opening a file while the stream still connects: the file is there at once.
            QVERIFY(p.open(song_, 3000));
            mark = p.messages.size();
            p.send(XA_MSG_COMMAND_INPUT_OPEN, url);
            p.send(XA_MSG_COMMAND_INPUT_CLOSE);
            QVERIFY(p.waitReply(XA_MSG_COMMAND_INPUT_CLOSE, 3000, mark) >= 0);
            // So is a stream: its transfer does not wait behind those still waiting on the silent server.
            QElapsedTimer opening;
            opening.start();
            QVERIFY(p.open(server_.url("/song.mp3"), 3000));
            QVERIFY2(opening.elapsed() < 2000, qPrintable(QString::number(opening.elapsed())));
            p.send(XA_MSG_COMMAND_INPUT_OPEN, url);
            deleting.start();
        }
        // Deleting the player while it connects does not wait for the network (which would never answer).
        QVERIFY2(deleting.elapsed() < 5000, "player_delete hung on a connecting stream");
    }
};

QTEST_GUILESS_MAIN(TestEngineStream)
#include "test_engine_stream.moc"
