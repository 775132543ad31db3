// The player component driving the real decoder library: commands go out with their arguments in the right
// order and the library's notifications come back through the component's events. Sound goes to the "test"
// output module, which discards it as fast as the CPU allows.

#include "tools/scripted_answers.h"
#include "playback/XaudioPlayer.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class TestXaudioPlayerEngine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        answers = std::make_unique<Shell::ScriptedAnswers>();
        player = std::make_unique<TXaudioPlayer>();
        log.clear();
        player->OnNotifyNack = [this](TXaudioPlayer *, uint8_t Command, int16_t Code) {
            log.append(QStringLiteral("Nack %1 %2").arg(Command).arg(Code));
            nackCode = Code;
        };
        player->SetOutputName(QStringLiteral("test"));
    }

    void cleanup()
    {
        QCOMPARE(player->StartErrors(), QStringList());  // nothing to report from construction
        player.reset();
        QCOMPARE(answers->texts(), QStringList());  // no error box at construction or anywhere after
        answers.reset();
    }

    void pingComesBackAsPongWithItsTag()
    {
        player->OnNotifyPong = [this](TXaudioPlayer *Sender, uint32_t Tag) {
            QCOMPARE(Sender, player.get());
            log.append(QString::number(Tag));
        };
        player->Ping(0xFEDCBA98u);  // beyond the signed range: must come back unchanged
        player->Ping(7);
        QTRY_COMPARE(log, QStringList({"4275878552", "7"}));
    }

    void setOutputVolumeSendsBalancePcmMaster()
    {
        player->OnNotifyOutputVolume = [this](TXaudioPlayer *, uint8_t Master, uint8_t Pcm, uint8_t Balance) {
            log.append(QStringLiteral("Volume master %1 pcm %2 balance %3").arg(Master).arg(Pcm).arg(Balance));
        };
        player->OnNotifyOutputBalance = [this](TXaudioPlayer *, uint8_t b) {
            log.append(QStringLiteral("Balance %1").arg(b));
        };
        player->OnNotifyOutputPcmLevel = [this](TXaudioPlayer *, uint8_t p) {
            log.append(QStringLiteral("Pcm %1").arg(p));
        };
        player->OnNotifyOutputMasterLevel = [this](TXaudioPlayer *, uint8_t m) {
            log.append(QStringLiteral("Master %1").arg(m));
        };
        player->SetOutputVolume(50, 100, 80);
        QTRY_COMPARE(log, QStringList({"Volume master 80 pcm 100 balance 50", "Balance 50", "Pcm 100", "Master 80"}));
    }

    void priorityIsTheEngineThreadsPriority()
    {
        // Lowering needs no privileges, so this holds for every user.
        QCOMPARE(player->GetPriority(), quint32(XA_PRIORITY_NORMAL));
        QVERIFY(player->setProperty("Priority", quint32(XA_PRIORITY_LOWEST)));
        QCOMPARE(player->GetPriority(), quint32(XA_PRIORITY_LOWEST));
        QCOMPARE(player->property("Priority").toUInt(), uint(XA_PRIORITY_LOWEST));
    }

    void openingAMissingFileIsRefusedWithANegativeCode()
    {
        QTemporaryDir dir;
        int inputState = -1;
        player->OnNotifyInputState = [&inputState](TXaudioPlayer *, int32_t State) { inputState = State; };
        player->InputOpen(dir.filePath(QStringLiteral("missing.mp3")));
        QTRY_COMPARE(log.size(), 1);
        QCOMPARE(log.first(), QStringLiteral("Nack %1 %2").arg(XA_MSG_COMMAND_INPUT_OPEN).arg(nackCode));
        QVERIFY2(nackCode < 0, qPrintable(log.first()));
        const QString sentence = TXaudioPlayer::ErrorString(nackCode);
        QVERIFY(!sentence.isEmpty());
        QCOMPARE(sentence, QString::fromUtf8(xaudio_error_string(nackCode)));
        QVERIFY(sentence != TXaudioPlayer::ErrorString(XA_SUCCESS));
        QTRY_COMPARE(inputState, int(XA_INPUT_STATE_CLOSED));
    }

    void playsASongWithANonAsciiNameToItsEnd()
    {
        // The name travels as UTF-8: read as anything else, the file would not be found.
        QTemporaryDir dir;
        const QString song = dir.filePath(QStringLiteral("Motörhead – ♪.mp3"));
        QVERIFY(QFile::copy(QStringLiteral(DEMO_SONG), song));

        QStringList states;
        QString streamInfo;
        uint32_t duration = 0;
        player->OnNotifyInputState = [&states](TXaudioPlayer *Sender, int32_t State) {
            states.append(QStringLiteral("input %1").arg(State));
            if (State == XA_INPUT_STATE_OPEN)
                Sender->Play();
        };
        player->OnNotifyPlayerState = [&states](TXaudioPlayer *, int32_t State) {
            states.append(QStringLiteral("player %1").arg(State));
        };
        player->OnNotifyInputStreamInfo = [&streamInfo](TXaudioPlayer *, uint8_t Level, uint8_t Layer, uint16_t Bitrate,
                                                        uint16_t Frequency, uint8_t Mode) {
            streamInfo = QStringLiteral("%1 %2 %3 %4 %5").arg(Level).arg(Layer).arg(Bitrate).arg(Frequency).arg(Mode);
        };
        player->OnNotifyInputDuration = [&duration](TXaudioPlayer *, uint32_t Duration) { duration = Duration; };

        player->InputOpen(song);
        QTRY_VERIFY_WITH_TIMEOUT(states.contains(QStringLiteral("player 3")), 60000);
        QCOMPARE(log, QStringList());  // no Nack on the way
        QCOMPARE(states.first(), QStringLiteral("input 0"));
        QVERIFY(states.indexOf(QStringLiteral("player 1")) > 0);
        QVERIFY(states.indexOf(QStringLiteral("player 1")) < states.indexOf(QStringLiteral("player 3")));
        // MPEG 1, layer 3, 128 kbit/s, 44100 Hz, joint stereo; about 12 seconds.
        QCOMPARE(streamInfo, QStringLiteral("1 3 128 44100 1"));
        QVERIFY2(duration >= 11 && duration <= 13, qPrintable(QString::number(duration)));
    }

private:
    std::unique_ptr<Shell::ScriptedAnswers> answers;
    std::unique_ptr<TXaudioPlayer> player;
    QStringList log;
    int nackCode = 0;
};

QTEST_GUILESS_MAIN(TestXaudioPlayerEngine)
#include "test_xaudio_player_engine.moc"
