// Where the engine's input comes from, and what it does with inputs that are large, damaged or not what they
// claim: a large file opens at once and survives being cut short while it plays, a 2 GB file of mostly holes
// keeps every command answered, the bit rate of a VBR file ignores its cover art, streams that are not MPEG
// audio are refused within seconds, playlists (remote and local) are followed entry by entry, and a radio's
// stream title reaches the caller.

#include "tools/engine_driver.h"
#include "tools/fixtures.h"
#include "tools/httpserver.h"
#include "tools/pcm.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace testtools;

class TestEngineInputSources : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<Fixtures> fx_;
    TestHttpServer server_;
    QString bare_;  // 10 s of 128 kbit/s CBR without an Info frame: copies of it join into one longer stream
    QString song_;  // 4 s with its Info frame

    // Writes `copies` copies of `source` one after another.
    QString repeated(const QString &name, const QString &source, int copies)
    {
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = in.readAll();
        QFile out(dir_.filePath(name));
        if (!out.open(QIODevice::WriteOnly))
            return {};
        for (int i = 0; i < copies; ++i)
            if (out.write(bytes) != bytes.size())
                return {};
        return out.fileName();
    }
    static bool answers(EngineDriver &p)
    {
        const size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PING, 9);
        return p.waitCode(XA_MSG_NOTIFY_PONG, 1000, mark) >= 0;
    }
    // Milliseconds from the open command to the input's report that it is open (-1: it was refused or silent).
    static qint64 timedOpen(EngineDriver &p, const QString &name)
    {
        QElapsedTimer t;
        t.start();
        return p.open(name) ? t.elapsed() : -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        QVERIFY(server_.isListening());
        fx_ = std::make_unique<Fixtures>(dir_.path());
        Tone t;
        t.signal = Signal::TwoTone;
        t.seconds = 10;
        Mp3Options o;
        o.infoHeader = false;
        bare_ = fx_->mp3("bare.mp3", t, o);
        t.seconds = 4;
        song_ = fx_->mp3("song.mp3", t);
        QVERIFY2(!bare_.isEmpty() && !song_.isEmpty(), qPrintable(fx_->error()));
    }

    void largeFileOpensAtOnceAndEndsWhereItWasCut()
    {
        // 40 MB, about 2500 s. Reading it whole before the first sound took over a second.
        const QString big = repeated("big.mp3", bare_, 250);
        QVERIFY(!big.isEmpty());
        const Pcm one = decodeWithMpg123(bare_);
        QVERIFY(one.ok());
        const qint64 total = qint64(one.seconds() * 250);
        EngineDriver p;
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("test"));
        const qint64 ms = timedOpen(p, big);
        QVERIFY(ms >= 0);
        QVERIFY2(ms < 400, qPrintable(QStringLiteral("open took %1 ms").arg(ms)));
        const XA_Message *d = p.last(XA_MSG_NOTIFY_INPUT_DURATION);
        QVERIFY(d);
        QVERIFY2(std::abs(d->u32(4) - total) <= total / 100,
                 qPrintable(QStringLiteral("%1 s, not %2").arg(d->u32(4)).arg(total)));
        const qint64 reported = d->u32(4);

        // A seek before the frame index exists lands near its target at once.
        size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_INPUT_SEEK, 900, 1000);
        QVERIFY(p.waitReply(XA_MSG_COMMAND_INPUT_SEEK, 1000, mark) >= 0);
        QCOMPARE(p.last(XA_MSG_NOTIFY_ACK)->u8(4), uint8_t(XA_MSG_COMMAND_INPUT_SEEK));
        const XA_Message *tc = p.last(XA_MSG_NOTIFY_INPUT_TIMECODE);
        QVERIFY(tc);
        const qint64 at = qint64(tc->u8(4)) * 3600 + tc->u8(5) * 60 + tc->u8(6);
        QVERIFY2(std::abs(at - reported * 9 / 10) <= 5, qPrintable(QString::number(at)));

        // Back to the start, play, and cut the file to a fifth while it plays: the play ends at the cut.
        p.send(XA_MSG_COMMAND_INPUT_SEEK, 0, 1000);
        mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_PLAYING, 2000, mark) >= 0);
        QVERIFY(QFile::resize(big, QFileInfo(big).size() / 5));
        QVERIFY(p.waitState(XA_PLAYER_STATE_EOF, 20000, mark) >= 0);
        const XA_Message *end = p.last(XA_MSG_NOTIFY_INPUT_TIMECODE);
        const qint64 endSeconds = qint64(end->u8(4)) * 3600 + end->u8(5) * 60 + end->u8(6);
        QVERIFY2(std::abs(endSeconds - reported / 5) <= 10, qPrintable(QString::number(endSeconds)));
        QVERIFY(answers(p));
        // Played again, the shorter file plays from its start.
        mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_PLAYING, 2000, mark) >= 0);
        p.send(XA_MSG_COMMAND_STOP);
        QVERIFY(p.waitReply(XA_MSG_COMMAND_STOP, 1000, mark) >= 0);
        p.send(XA_MSG_COMMAND_EXIT);
        QVERIFY(p.waitCode(XA_MSG_NOTIFY_EXITED, 1000, mark) >= 0);
    }

    void hugeFileOfHolesKeepsCommandsAnswered()
    {
        // 10 s of audio, then 2 GB of nothing (a sparse file: no disk space is used).
        const QString huge = dir_.filePath("huge.mp3");
        QVERIFY(QFile::copy(bare_, huge));
        QVERIFY(QFile::resize(huge, qint64(2) << 30));
        EngineDriver p;
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("test"));
        const qint64 ms = timedOpen(p, huge);
        QVERIFY(ms >= 0);
        QVERIFY2(ms < 400, qPrintable(QStringLiteral("open took %1 ms").arg(ms)));
        size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_INPUT_SEEK, 1, 2);  // into the holes
        QVERIFY(p.waitReply(XA_MSG_COMMAND_INPUT_SEEK, 1000, mark) >= 0);
        p.send(XA_MSG_COMMAND_INPUT_SEEK, 0, 2);
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitReply(XA_MSG_COMMAND_PLAY, 1000, mark) >= 0);
        // The audio plays, the holes end it; every command meanwhile is answered.
        QVERIFY(p.waitState(XA_PLAYER_STATE_EOF, 20000, mark) >= 0);
        QVERIFY(answers(p));
        mark = p.messages.size();
        p.send(XA_MSG_COMMAND_EXIT);
        QVERIFY(p.waitCode(XA_MSG_NOTIFY_EXITED, 1000, mark) >= 0);
    }

    void vbrBitRateIgnoresCoverArt()
    {
        Tone t;
        t.seconds = 6;
        Mp3Options o;
        o.vbrQuality = 9;
        const QString plain = fx_->mp3("vbr-plain.mp3", t, o);
        QVERIFY(!plain.isEmpty());
        // The same audio behind an ID3v2.3 tag holding a 1 MB picture.
        QByteArray frame("\0image/jpeg\0\3\0", 14);
        frame += QByteArray(1 << 20, '\x5a');
        QByteArray tag("ID3\3\0\0", 6);
        const quint32 size = quint32(10 + frame.size());
        for (int shift : {21, 14, 7, 0})
            tag += char((size >> shift) & 0x7f);
        tag += "APIC";
        for (int shift : {24, 16, 8, 0})
            tag += char((frame.size() >> shift) & 0xff);
        tag += QByteArray(2, '\0');
        tag += frame;
        QFile in(plain);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QFile out(dir_.filePath("vbr-art.mp3"));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(tag + in.readAll());
        out.close();

        auto bitrate = [](const QString &file) {
            EngineDriver p;
            if (!p.open(file))
                return -1;
            const XA_Message *info = p.last(XA_MSG_NOTIFY_INPUT_STREAM_INFO);
            return info ? int(info->u16(6)) : -1;
        };
        const int plainRate = bitrate(plain);
        const int artRate = bitrate(out.fileName());
        QVERIFY2(plainRate > 0 && plainRate < 160, qPrintable(QString::number(plainRate)));
        QVERIFY2(std::abs(artRate - plainRate) <= 2,
                 qPrintable(QStringLiteral("%1 vs %2").arg(artRate).arg(plainRate)));
    }

    void streamsThatAreNotMpegAudioEndWithinSeconds_data()
    {
        QTest::addColumn<QString>("path");
        auto endless = [&](const char *path, QByteArray body, QByteArray type) {
            HttpResponse r = HttpResponse::ok(body, HttpResponse::Length::None);
            r.contentType = type;
            r.repeatBody = true;
            server_.setRoute(QString::fromLatin1(path), r);
            QTest::newRow(path) << QString::fromLatin1(path);
        };
        // Servers that call everything audio/mpeg: the first bytes tell.
        endless("/ogg", QByteArray("OggS\0\2", 6) + QByteArray(4000, '\1'), "audio/mpeg");
        endless("/aac", QByteArray("\xFF\xF1\x50\x80\x2E\x7F\xFC", 7) + QByteArray(400, '\x21'), "audio/mpeg");
        endless("/page", "<!DOCTYPE html><html><body>Radio is offline</body></html>\n", "text/html");
        // Nothing recognisable at all: only the wait for a frame ends it.
        endless("/text", QByteArray(4096, 'x'), "audio/mpeg");
    }
    void streamsThatAreNotMpegAudioEndWithinSeconds()
    {
        QFETCH(QString, path);
        EngineDriver p;
        QElapsedTimer t;
        t.start();
        QVERIFY(!p.open(server_.url(path), 5000));
        QVERIFY2(t.elapsed() < 3000, qPrintable(QStringLiteral("%1 ms").arg(t.elapsed())));
        QCOMPARE(p.last(XA_MSG_NOTIFY_NACK)->s16(6), int16_t(XA_ERROR_INPUT_NOT_MPEG_AUDIO));
        const XA_Message *err = p.last(XA_MSG_NOTIFY_ERROR);
        QVERIFY(err && QString::fromStdString(err->text(8)).contains(QStringLiteral("not MPEG audio")));
        QVERIFY(answers(p));
    }

    void playlistsAreFollowedAndTheRadioTitleArrives_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("radio");
        QFile song(song_);
        QVERIFY(song.open(QIODevice::ReadOnly));
        HttpResponse radio = HttpResponse::ok(song.readAll(), HttpResponse::Length::None);
        radio.repeatBody = true;
        radio.icyMetaInt = 4096;
        radio.bytesPerSecond = 24000;  // a title every 0.17 s
        radio.icyTitles = {QStringLiteral("First Song"), QStringLiteral("Second Song")};
        server_.setRoute("/radio", radio);
        const QByteArray radioUrl = server_.url("/radio").toUtf8();
        const QByteArray deadUrl = server_.url("/dead.mp3").toUtf8();  // 404

        // By suffix, with an entry relative to the playlist and a dead one before the good one.
        HttpResponse m3u =
            HttpResponse::ok("#EXTM3U\n#EXTINF:-1,Gone\ndead.mp3\n#EXTINF:-1,Radio\r\n" + radioUrl + "\r\n");
        m3u.contentType = "text/plain";
        server_.setRoute("/lists/radio.m3u", m3u);
        server_.setRoute("/lists/dead.mp3", HttpResponse::error(404));
        QTest::newRow("m3u by suffix") << server_.url("/lists/radio.m3u") << true;
        // By media type, entries numbered out of order.
        HttpResponse pls = HttpResponse::ok("[playlist]\nNumberOfEntries=2\nFile2=" + radioUrl +
                                            "\nTitle2=Radio\nFile1=" + deadUrl + "\nVersion=2\n");
        pls.contentType = "audio/x-scpls";
        server_.setRoute("/listen", pls);
        QTest::newRow("pls by type") << server_.url("/listen") << true;
        // By the first bytes alone; a line of binary data in it is no entry (nothing is asked for it).
        HttpResponse sniffed =
            HttpResponse::ok("\xEF\xBB\xBF#EXTM3U\n" + deadUrl + "\n\x01\x7F\xFF\x02" + "bin\n" + radioUrl + "\n");
        sniffed.contentType = "application/octet-stream";
        server_.setRoute("/tune-in", sniffed);
        QTest::newRow("m3u by content") << server_.url("/tune-in") << true;
        // A local playlist naming a missing file, then a file beside it, then (after it) the radio.
        QFile local(dir_.filePath("local.m3u"));
        QVERIFY(local.open(QIODevice::WriteOnly));
        local.write("# mine\nmissing.mp3\nsong.mp3\n" + radioUrl + "\n");
        local.close();
        QTest::newRow("local m3u") << local.fileName() << false;
    }
    void playlistsAreFollowedAndTheRadioTitleArrives()
    {
        QFETCH(QString, name);
        QFETCH(bool, radio);
        const int before = int(server_.requests().size());
        EngineDriver p;
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("test"));
        QVERIFY(p.open(name));
        QVERIFY(answers(p));
        if (!radio) {
            const XA_Message *caps = p.last(XA_MSG_NOTIFY_INPUT_CAPS);
            QVERIFY(caps && (caps->u32(4) & XA_INPUT_CAPS_SEEKABLE));
            QCOMPARE(int(p.last(XA_MSG_NOTIFY_INPUT_DURATION)->u32(4)), 4);
            return;
        }
        // The dead entry was asked for, then the radio.
        const auto requests = server_.requests().mid(before);
        QVERIFY(requests.size() >= 3);
        QVERIFY(requests.last().target.endsWith("/radio"));
        QVERIFY(requests[requests.size() - 2].target.endsWith("dead.mp3"));
        // Playing, the titles come as the radio sends them, each change reported once.
        size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        auto title = [](const char *text) {
            return
                [text](const XA_Message &m) { return m.code == XA_MSG_NOTIFY_INPUT_STREAM_TITLE && m.text(4) == text; };
        };
        const int first = p.waitFor(title("First Song"), 10000, mark);
        QVERIFY(first >= 0);
        const int second = p.waitFor(title("Second Song"), 10000, size_t(first));
        QVERIFY(second >= 0);
        int reports = 0;
        for (size_t i = size_t(first); i <= size_t(second); ++i)
            reports += p.messages[i].code == XA_MSG_NOTIFY_INPUT_STREAM_TITLE;
        QCOMPARE(reports, 2);
        mark = p.messages.size();
        p.send(XA_MSG_COMMAND_STOP);
        QVERIFY(p.waitReply(XA_MSG_COMMAND_STOP, 1000, mark) >= 0);
    }
};

QTEST_GUILESS_MAIN(TestEngineInputSources)
#include "test_engine_input_sources.moc"
