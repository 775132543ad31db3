// Inputs that are not good MPEG audio: each ends in a Nack for the open or in an end of file, never in a crash,
// a hang or a busy engine, and the engine goes on serving commands afterwards.

#include "tools/engine_driver.h"
#include "tools/fixtures.h"
#include "tools/pcm.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace testtools;

class TestEngineInputs : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<Fixtures> fx_;
    QString good_;

    static int16_t nackCode(const EngineDriver &p, int command)
    {
        for (auto it = p.messages.rbegin(); it != p.messages.rend(); ++it)
            if (it->code == XA_MSG_NOTIFY_NACK && it->u8(4) == command)
                return it->s16(6);
        return 0;
    }
    // The engine still answers: a Ping gets its Pong.
    static bool stillServing(EngineDriver &p)
    {
        const size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PING, 77);
        return p.waitCode(XA_MSG_NOTIFY_PONG, 5000, mark) >= 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        fx_ = std::make_unique<Fixtures>(dir_.path());
        Tone t;
        t.seconds = 6;
        good_ = fx_->mp3("good.mp3", t);
        QVERIFY2(!good_.isEmpty(), qPrintable(fx_->error()));
    }

    void unopenableInputsAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");
        QTest::newRow("missing") << dir_.filePath("nothing-here.mp3") << int(XA_ERROR_INPUT_NOT_FOUND);
        QTest::newRow("directory") << dir_.path() << int(XA_ERROR_INPUT_IS_DIRECTORY);
        QTest::newRow("zero length") << fx_->zeroLength("empty.mp3") << int(XA_ERROR_INPUT_NOT_MPEG_AUDIO);
        QTest::newRow("text file") << [this] {
            QFile f(dir_.filePath("notes.mp3"));
            f.open(QIODevice::WriteOnly);
            f.write("These are not the frames you are looking for.\n");
            return f.fileName();
        }() << int(XA_ERROR_INPUT_NOT_MPEG_AUDIO);
        QTest::newRow("empty name") << QString() << int(XA_ERROR_INVALID_PARAMETERS);
    }
    void unopenableInputsAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(int, code);
        EngineDriver p;
        QVERIFY(!p.open(name));
        QCOMPARE(int(nackCode(p, XA_MSG_COMMAND_INPUT_OPEN)), code);
        QVERIFY(QByteArray(xaudio_error_string(code)).size() > 5);
        // Nothing is open now: Play is refused too.
        const size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitReply(XA_MSG_COMMAND_PLAY, 5000, mark) >= 0);
        QCOMPARE(int(nackCode(p, XA_MSG_COMMAND_PLAY)), int(XA_ERROR_NO_INPUT));
    }

    void unreadableFileIsRefused()
    {
        if (::geteuid() == 0)
            QSKIP("root reads files whatever their permissions");
        const QString locked = dir_.filePath("locked.mp3");
        QVERIFY(QFile::copy(good_, locked));
        QFile::setPermissions(locked, QFileDevice::WriteOwner);
        EngineDriver p;
        QVERIFY(!p.open(locked));
        QCOMPARE(int(nackCode(p, XA_MSG_COMMAND_INPUT_OPEN)), int(XA_ERROR_INPUT_PERMISSION_DENIED));
    }

    void damagedFilesPlayToAnEnd_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("mayRefuse");
        QTest::newRow("truncated mid-frame") << fx_->truncated("cut.mp3", good_, 40000 + 177) << false;
        QTest::newRow("garbage in the middle") << fx_->withGarbage("garbled.mp3", good_, -1, 20000) << false;
        QTest::newRow("random bytes") << fx_->randomBytes("random.mp3", 300000) << true;
    }
    void damagedFilesPlayToAnEnd()
    {
        QFETCH(QString, file);
        QFETCH(bool, mayRefuse);
        QVERIFY(!file.isEmpty());
        EngineDriver p;
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("test"));
        if (!p.open(file)) {
            QVERIFY2(mayRefuse, "a damaged file with good frames must open");
            QVERIFY(nackCode(p, XA_MSG_COMMAND_INPUT_OPEN) < 0);
        } else {
            const size_t mark = p.messages.size();
            p.send(XA_MSG_COMMAND_PLAY);
            QVERIFY(p.waitState(XA_PLAYER_STATE_EOF, 20000, mark) >= 0);
        }
        QVERIFY(stillServing(p));
    }

    void truncatedFileKeepsWhatIsThere()
    {
        const QString cut = fx_->truncated("half.mp3", good_, QFileInfo(good_).size() / 2);
        EngineDriver p;
        QVERIFY(p.open(cut));
        const QString out = dir_.filePath("half.wav");
        QVERIFY(p.playToWav(out));
        const Pcm got = readWav(out);
        const Pcm whole = decodeWithMpg123(good_);
        QVERIFY(got.seconds() > 2.5 && got.seconds() < 3.5);
        // What played is the start of the song, sample for sample, up to the cut's last whole frame.
        const Pcm head = slice(whole, 0, got.seconds() - 0.1);
        QCOMPARE(maxAbsDifference(slice(got, 0, head.seconds()), head), 0);
    }

    void commandsAfterAFailureStillWork()
    {
        EngineDriver p;
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("test"));
        QVERIFY(!p.open(dir_.filePath("missing.mp3")));
        QVERIFY(p.open(good_));
        size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitState(XA_PLAYER_STATE_PLAYING, 5000, mark) >= 0);
        // Re-opening: the old input closes before the new one opens.
        mark = p.messages.size();
        QVERIFY(p.open(good_));
        const int closed = p.waitFor(
            [](const XA_Message &m) { return m.code == XA_MSG_NOTIFY_INPUT_STATE && m.u8(4) == XA_INPUT_STATE_CLOSED; },
            5000, mark);
        QVERIFY(closed >= 0);
        QVERIFY(p.waitFor(
                    [](const XA_Message &m) {
                        return m.code == XA_MSG_NOTIFY_INPUT_STATE && m.u8(4) == XA_INPUT_STATE_OPEN;
                    },
                    5000, size_t(closed)) > closed);
        mark = p.messages.size();
        p.send(XA_MSG_COMMAND_INPUT_CLOSE);
        p.send(XA_MSG_COMMAND_INPUT_SEEK, 1, 2);
        QVERIFY(p.waitReply(XA_MSG_COMMAND_INPUT_SEEK, 5000, mark) >= 0);
        QCOMPARE(int(nackCode(p, XA_MSG_COMMAND_INPUT_SEEK)), int(XA_ERROR_NO_INPUT));
        QVERIFY(stillServing(p));
    }

    void unknownOutputIsReported()
    {
        EngineDriver p;
        QVERIFY(p.open(good_));
        p.send(XA_MSG_COMMAND_OUTPUT_OPEN, QStringLiteral("no-such-module"));
        QVERIFY(p.waitReply(XA_MSG_COMMAND_OUTPUT_OPEN) >= 0);
        QCOMPARE(int(nackCode(p, XA_MSG_COMMAND_OUTPUT_OPEN)), int(XA_ERROR_OUTPUT_OPEN_FAILED));
        const size_t mark = p.messages.size();
        p.send(XA_MSG_COMMAND_PLAY);
        QVERIFY(p.waitReply(XA_MSG_COMMAND_PLAY, 5000, mark) >= 0);
        QCOMPARE(int(nackCode(p, XA_MSG_COMMAND_PLAY)), int(XA_ERROR_OUTPUT_OPEN_FAILED));
        const XA_Message *err = p.last(XA_MSG_NOTIFY_ERROR);
        QVERIFY(err && !err->text(8).empty());
    }
};

QTEST_GUILESS_MAIN(TestEngineInputs)
#include "test_engine_inputs.moc"
