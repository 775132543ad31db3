// Checks the test helpers themselves where a fault would make other tests pass or fail for the wrong reason:
// the fixtures are what they claim to be, the measurements read a known signal right, the WAV reader agrees
// with the reference decoder, and the HTTP server frames ICY metadata, chunks and faults correctly.

#include "tools/fixtures.h"
#include "tools/httpserver.h"
#include "tools/pcm.h"
#include "tools/files.h"

#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace testtools;

namespace {

uint8_t headerByte(const QString &file, int index)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = f.readAll();
    const FirstFrame first = findFirstFrame(bytes);
    return first.offset < 0 ? 0 : uint8_t(bytes[first.offset + index]);
}

// Sends a GET and reads until the server closes or `limit` bytes have arrived.
QByteArray get(quint16 port, const QByteArray &path, const QByteArray &headers = {}, qint64 limit = 1 << 24)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + headers + "\r\n");
    QByteArray reply;
    while (reply.size() < limit && (socket.bytesAvailable() > 0 || socket.waitForReadyRead(5000)))
        reply += socket.readAll();
    return reply;
}

QByteArray bodyOf(const QByteArray &reply) { return reply.mid(reply.indexOf("\r\n\r\n") + 4); }

}  // namespace

class TestTools : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void sineIsMeasuredAtItsFrequency()
    {
        Fixtures fx(dir_.path());
        Tone tone;
        tone.seconds = 2;
        tone.rightFrequency = 1000;
        const QString file = fx.mp3(QStringLiteral("lr.mp3"), tone);
        QVERIFY2(!file.isEmpty(), qPrintable(fx.error()));
        const Pcm pcm = decodeWithMpg123(file);
        QVERIFY2(pcm.ok(), qPrintable(pcm.error));
        QCOMPARE(pcm.rate, 44100);
        QCOMPARE(pcm.channels, 2);
        QCOMPARE(pcm.frames(), 2 * 44100);  // gapless: exactly the source length
        QVERIFY(qAbs(toneAmplitude(pcm, 0, 440) - 0.5) < 0.03);
        QVERIFY(toneAmplitude(pcm, 0, 1000) < 0.01);
        QVERIFY(qAbs(toneAmplitude(pcm, 1, 1000) - 0.5) < 0.03);
        QVERIFY(toneAmplitude(pcm, 1, 440) < 0.01);
        QVERIFY(qAbs(rms(pcm, 0) - 0.3536) < 0.02);
        QVERIFY(bandShare(pcm, 0, 400, 480) > 0.98);
        QVERIFY(bandShare(pcm, 1, 400, 480) < 0.01);

        tone.signal = Signal::TwoTone;
        const Pcm two = readWav(fx.wav(QStringLiteral("two.wav"), tone));
        QVERIFY(qAbs(toneAmplitude(two, 1, 440) - 0.25) < 0.02);
        QVERIFY(qAbs(toneAmplitude(two, 1, 1000) - 0.25) < 0.02);
    }

    void encoderOptionsReachTheStream()
    {
        Fixtures fx(dir_.path());
        Tone tone;
        tone.seconds = 1;
        Mp3Options o;
        o.mode = ChannelMode::DualChannel;
        QCOMPARE(headerByte(fx.mp3(QStringLiteral("dual.mp3"), tone, o), 3) >> 6, 2);
        o.mode = ChannelMode::Mono;
        o.resampleHz = 11025;
        o.bitrate = 32;
        const QString mono = fx.mp3(QStringLiteral("m25.mp3"), tone, o);
        QCOMPARE(headerByte(mono, 1) >> 3 & 3, 0);  // MPEG-2.5
        QCOMPARE(headerByte(mono, 3) >> 6, 3);
        DecodeOptions native;
        native.channels = DecodeChannels::Native;
        const Pcm nativePcm = decodeWithMpg123(mono, native);
        QCOMPARE(nativePcm.channels, 1);
        QCOMPARE(nativePcm.rate, 11025);
        const Pcm stereo = decodeWithMpg123(mono);
        QCOMPARE(stereo.channels, 2);
        QCOMPARE(stereo.frames(), nativePcm.frames());

        const QString layer2 = fx.mp2(QStringLiteral("lsf.mp2"), Tone{Signal::Sine, 22050, 1, 1.0}, Mp2Options{64});
        QVERIFY2(!layer2.isEmpty(), qPrintable(fx.error()));
        QCOMPARE(headerByte(layer2, 1) >> 1 & 3, 2);  // layer II
        QCOMPARE(headerByte(layer2, 1) >> 3 & 3, 2);  // MPEG-2

        Mp3Options tags;
        tags.id3v1 = tags.id3v2 = true;
        tags.title = QStringLiteral("Tagged");
        const QByteArray tagged = fileContents(fx.mp3(QStringLiteral("tags.mp3"), tone, tags));
        QVERIFY(tagged.startsWith("ID3"));
        QVERIFY(tagged.right(128).startsWith("TAGTagged"));
        QVERIFY(findFirstFrame(tagged).offset > 10);
    }

    void damagedCopies()
    {
        Fixtures fx(dir_.path());
        Mp3Options vbr;
        vbr.vbrQuality = 2;
        const QString source = fx.mp3(QStringLiteral("vbr.mp3"), Tone{Signal::Sweep, 44100, 2, 3.0}, vbr);
        const QByteArray original = fileContents(source);
        const FirstFrame first = findFirstFrame(original);
        QCOMPARE(original.mid(first.xingOffset, 4), QByteArray("Xing"));

        const QByteArray stripped = fileContents(fx.withoutXingHeader(QStringLiteral("noxing.mp3"), source));
        QCOMPARE(stripped.size(), original.size() - first.length);
        QCOMPARE(findFirstFrame(stripped).xingOffset, -1);
        QVERIFY(fx.withoutXingHeader(QStringLiteral("again.mp3"), fx.path(QStringLiteral("noxing.mp3"))).isEmpty());

        QCOMPARE(fileContents(fx.truncated(QStringLiteral("cut.mp3"), source, 1000)), original.left(1000));
        const QByteArray spliced = fileContents(fx.withGarbage(QStringLiteral("junk.mp3"), source, 5000, 777));
        QCOMPARE(spliced.size(), original.size() + 777);
        QCOMPARE(spliced.left(5000), original.left(5000));
        QCOMPARE(spliced.mid(5777), original.mid(5000));
        QCOMPARE(QFileInfo(fx.zeroLength(QStringLiteral("empty.mp3"))).size(), 0);
        QCOMPARE(fileContents(fx.randomBytes(QStringLiteral("r1"), 4096, 7)), pseudoRandomBytes(4096, 7));
    }

    // mpg123 -w writes through libout123's wav module: once to a file (sizes filled in), once to a pipe
    // (sizes left unset); both must read back as exactly what the reference decoder gives.
    void wavReaderMatchesReferenceDecoder()
    {
        Fixtures fx(dir_.path());
        const QString mp3 = fx.mp3(QStringLiteral("ref.mp3"), Tone{Signal::PinkNoise, 44100, 2, 2.0});
        const Pcm reference = decodeWithMpg123(mp3);
        QVERIFY(reference.ok());

        const QString wavFile = fx.path(QStringLiteral("ref.wav"));
        QCOMPARE(
            QProcess::execute(QStringLiteral("mpg123"), {QStringLiteral("-q"), QStringLiteral("-w"), wavFile, mp3}), 0);
        const Pcm fromFile = readWav(wavFile);
        QVERIFY2(fromFile.ok(), qPrintable(fromFile.error));
        QCOMPARE(fromFile.frames(), reference.frames());
        QCOMPARE(maxAbsDifference(fromFile, reference), 0);

        QProcess piped;
        piped.start(QStringLiteral("mpg123"), {QStringLiteral("-q"), QStringLiteral("-w"), QStringLiteral("-"), mp3});
        QVERIFY(piped.waitForFinished(30000));
        QFile out(fx.path(QStringLiteral("piped.wav")));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(piped.readAllStandardOutput());
        out.close();
        const Pcm fromPipe = readWav(out.fileName());
        QCOMPARE(fromPipe.frames(), reference.frames());
        QCOMPARE(maxAbsDifference(fromPipe, reference), 0);
    }

    void httpLengthsAndStatus()
    {
        TestHttpServer server;
        QVERIFY(server.isListening());
        const QByteArray body = pseudoRandomBytes(100000, 9);
        server.setRoute(QStringLiteral("/plain"), HttpResponse::ok(body));
        server.setRoute(QStringLiteral("/chunked"), HttpResponse::ok(body, HttpResponse::Length::Chunked));
        server.setRoute(QStringLiteral("/moved"), HttpResponse::redirect("/plain"));

        const QByteArray plain = get(server.port(), "/plain");
        QVERIFY(plain.startsWith("HTTP/1.1 200 OK\r\n"));
        QVERIFY(plain.contains("\r\nContent-Length: 100000\r\n"));
        QCOMPARE(bodyOf(plain), body);

        QByteArray rest = bodyOf(get(server.port(), "/chunked")), joined;
        for (;;) {
            const qsizetype eol = rest.indexOf("\r\n");
            bool ok = false;
            const int n = rest.left(eol).toInt(&ok, 16);
            QVERIFY(ok);
            if (n == 0)
                break;
            joined += rest.mid(eol + 2, n);
            QCOMPARE(rest.mid(eol + 2 + n, 2), QByteArray("\r\n"));
            rest = rest.mid(eol + 4 + n);
        }
        QCOMPARE(joined, body);

        QVERIFY(get(server.port(), "/moved").contains("\r\nLocation: /plain\r\n"));
        QVERIFY(get(server.port(), "/elsewhere").startsWith("HTTP/1.1 404 Not Found\r\n"));
        QCOMPARE(server.requests().size(), 4);
        QCOMPARE(server.requests().at(3).target, QByteArray("/elsewhere"));
    }

    void icyMetadataEveryMetaintBytes()
    {
        TestHttpServer server;
        HttpResponse radio = HttpResponse::ok(pseudoRandomBytes(5500, 4), HttpResponse::Length::None);
        radio.icyMetaInt = 1000;
        radio.icyTitles = {QStringLiteral("One"), QStringLiteral("One"), QStringLiteral("Two")};
        server.setRoute(QStringLiteral("/radio"), radio);

        const QByteArray reply = get(server.port(), "/radio", "Icy-MetaData: 1\r\n");
        QVERIFY(reply.startsWith("ICY 200 OK\r\n"));
        QVERIFY(reply.contains("\r\nicy-metaint: 1000\r\n"));
        QByteArray stream = bodyOf(reply), audio;
        QStringList titles;
        while (stream.size() > 1000) {
            audio += stream.left(1000);
            const int length = uint8_t(stream[1000]) * 16;
            titles << QString::fromUtf8(stream.mid(1001, length)).remove(QChar(0));
            stream = stream.mid(1001 + length);
        }
        audio += stream;
        QCOMPARE(audio, radio.body);
        QCOMPARE(titles,
                 (QStringList{QStringLiteral("StreamTitle='One';"), QString(), QStringLiteral("StreamTitle='Two';"),
                              QStringLiteral("StreamTitle='One';"), QString()}));
        QCOMPARE(server.requests().at(0).header("icy-metadata"), QByteArray("1"));

        const QByteArray plain = get(server.port(), "/radio");
        QVERIFY(plain.startsWith("HTTP/1.1 200 OK\r\n"));
        QCOMPARE(bodyOf(plain), radio.body);
        QVERIFY(!server.requests().at(1).hasHeader("Icy-MetaData"));
    }

    void faultsCutTheBodyWhereAsked()
    {
        TestHttpServer server;
        HttpResponse stall = HttpResponse::ok(pseudoRandomBytes(50000, 5));
        stall.stallAfter = 1234;
        server.setRoute(QStringLiteral("/stall"), stall);
        HttpResponse cut = stall;
        cut.stallAfter = -1;
        cut.closeAfter = 4321;
        server.setRoute(QStringLiteral("/cut"), cut);
        server.setRoute(QStringLiteral("/garbage"), HttpResponse::garbageBytes(300));

        QCOMPARE(bodyOf(get(server.port(), "/cut")), cut.body.left(4321));
        QCOMPARE(get(server.port(), "/garbage"), pseudoRandomBytes(300, 3));

        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), server.port());
        QVERIFY(socket.waitForConnected(5000));
        socket.write("GET /stall HTTP/1.1\r\n\r\n");
        QByteArray reply;
        while (bodyOf(reply).size() < 1234 && socket.waitForReadyRead(5000))
            reply += socket.readAll();
        QCOMPARE(bodyOf(reply), stall.body.left(1234));
        QVERIFY(!socket.waitForReadyRead(300));  // nothing more comes
        QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
        QTRY_COMPARE(server.openConnections(), 1);
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TestTools)
#include "test_testtools.moc"
