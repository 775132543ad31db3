// The player component's notification side: hand-built notifications are sent to the component and each event
// must receive the fields of its code, read at the right offsets, widths and signedness.

#include "tools/scripted_answers.h"
#include "playback/XaudioPlayer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTest>

#include <memory>
#include <type_traits>

namespace {

// One line per raised event: its name and its arguments, texts in brackets.
struct EventLog {
    QStringList lines;

    template <typename... Args>
    void add(const char *name, const Args &...args)
    {
        QStringList parts{QString::fromLatin1(name)};
        (parts.append(str(args)), ...);
        lines.append(parts.join(QLatin1Char(' ')));
    }

private:
    static QString str(const QString &text) { return QLatin1Char('[') + text + QLatin1Char(']'); }
    template <typename T>
    requires std::is_integral_v<T>
    static QString str(T value) { return QString::number(value); }
};

void bindAll(TXaudioPlayer &x, EventLog &log)
{
    using P = TXaudioPlayer *;
    using S = const QString &;
    x.OnNotifyMessage = [&log](P, const XA_Message &m) { log.add("Message", m.code); };
    x.OnNotifyReady = [&log](P) { log.add("Ready"); };
    x.OnNotifyAck = [&log](P, uint8_t c) { log.add("Ack", c); };
    x.OnNotifyNack = [&log](P, uint8_t c, int16_t e) { log.add("Nack", c, e); };
    x.OnNotifyPong = [&log](P, uint32_t t) { log.add("Pong", t); };
    x.OnNotifyExited = [&log](P) { log.add("Exited"); };
    x.OnNotifyPlayerState = [&log](P, int32_t s) { log.add("PlayerState", s); };
    x.OnNotifyPlayerMode = [&log](P, int32_t m) { log.add("PlayerMode", m); };
    x.OnNotifyPlayerEnvironmentInteger = [&log](P, S n, int32_t v) { log.add("EnvInteger", n, v); };
    x.OnNotifyPlayerEnvironmentString = [&log](P, S n, S v) { log.add("EnvString", n, v); };
    x.OnNotifyInputState = [&log](P, int32_t s) { log.add("InputState", s); };
    x.OnNotifyInputName = [&log](P, S n) { log.add("InputName", n); };
    x.OnNotifyInputCaps = [&log](P, uint32_t c) { log.add("InputCaps", c); };
    x.OnNotifyInputPosition = [&log](P, uint32_t o, uint32_t r) { log.add("InputPosition", o, r); };
    x.OnNotifyInputPositionRange = [&log](P, int32_t r) { log.add("InputPositionRange", r); };
    x.OnNotifyInputTimecode = [&log](P, uint8_t h, uint8_t m, uint8_t s, uint8_t f) {
        log.add("InputTimecode", h, m, s, f);
    };
    x.OnNotifyInputTimecodeGranularity = [&log](P, uint32_t g) { log.add("InputTimecodeGranularity", g); };
    x.OnNotifyInputDuration = [&log](P, uint32_t d) { log.add("InputDuration", d); };
    x.OnNotifyInputStreamInfo = [&log](P, uint8_t lv, uint8_t ly, uint16_t b, uint16_t f, uint8_t m) {
        log.add("InputStreamInfo", lv, ly, b, f, m);
    };
    x.OnNotifyInputModule = [&log](P, int16_t id) { log.add("InputModule", id); };
    x.OnNotifyInputModuleInfo = [&log](P, uint8_t id, uint8_t nb, S n, S d) {
        log.add("InputModuleInfo", id, nb, n, d);
    };
    x.OnNotifyInputDeviceInfo = [&log](P, uint8_t m, uint8_t i, uint8_t f, S n, S d) {
        log.add("InputDeviceInfo", m, i, f, n, d);
    };
    x.OnNotifyInputFilterInfo = [&log](P, uint8_t id, S n) { log.add("InputFilterInfo", id, n); };
    x.OnNotifyOutputState = [&log](P, int32_t s) { log.add("OutputState", s); };
    x.OnNotifyOutputName = [&log](P, S n) { log.add("OutputName", n); };
    x.OnNotifyOutputCaps = [&log](P, uint32_t c) { log.add("OutputCaps", c); };
    x.OnNotifyOutputVolume = [&log](P, uint8_t m, uint8_t p, uint8_t b) { log.add("OutputVolume", m, p, b); };
    x.OnNotifyOutputBalance = [&log](P, uint8_t b) { log.add("OutputBalance", b); };
    x.OnNotifyOutputPcmLevel = [&log](P, uint8_t p) { log.add("OutputPcmLevel", p); };
    x.OnNotifyOutputMasterLevel = [&log](P, uint8_t m) { log.add("OutputMasterLevel", m); };
    x.OnNotifyOutputChannels = [&log](P, uint8_t c) { log.add("OutputChannels", c); };
    x.OnNotifyOutputPorts = [&log](P, uint32_t p) { log.add("OutputPorts", p); };
    x.OnNotifyOutputModule = [&log](P, int16_t id) { log.add("OutputModule", id); };
    x.OnNotifyOutputModuleInfo = [&log](P, uint8_t id, uint8_t nb, S n, S d) {
        log.add("OutputModuleInfo", id, nb, n, d);
    };
    x.OnNotifyOutputDeviceInfo = [&log](P, uint8_t m, uint8_t i, uint8_t f, S n, S d) {
        log.add("OutputDeviceInfo", m, i, f, n, d);
    };
    x.OnNotifyOutputFilterInfo = [&log](P, uint8_t id, S n) { log.add("OutputFilterInfo", id, n); };
    x.OnNotifyCodecQuality = [&log](P, uint8_t q) { log.add("CodecQuality", q); };
    x.OnNotifyCodecEqualizer = [&log](P, const XA_EqualizerInfo &e) {
        log.add("CodecEqualizer", e.left[0], e.left[31], e.right[0], e.right[31]);
    };
    x.OnNotifyNotificationMask = [&log](P, uint32_t m) { log.add("NotificationMask", m); };
    x.OnNotifyDebugLevel = [&log](P, uint8_t l) { log.add("DebugLevel", l); };
    x.OnNotifyProgress = [&log](P, uint8_t s, uint8_t c, int16_t v, S m) { log.add("Progress", s, c, v, m); };
    x.OnNotifyDebug = [&log](P, uint8_t s, uint8_t l, S m) { log.add("Debug", s, l, m); };
    x.OnNotifyError = [&log](P, uint8_t s, int16_t c, S m) { log.add("Error", s, c, m); };
}

// A record whose every data byte tells its own offset (0x80 + offset, so each has its top bit set), with a
// distinct non-ASCII text at 4, 8 and 12 and an equalizer whose corner bands are the extremes.
XA_Message patternMessage(int code)
{
    XA_Message m;
    m.code = code;
    for (int offset = 4; offset < 16; ++offset)
        m.set_u8(offset, static_cast<uint8_t>(0x80 + offset));
    m.set_text(4, "\xC3\x84-4");        // "Ä-4" in UTF-8
    m.set_text(8, "\xC3\xA9-8");        // "é-8"
    m.set_text(12, "\xE2\x99\xAA-12");  // "♪-12"
    auto eq = std::make_shared<XA_EqualizerInfo>();
    eq->left[0] = -128;
    eq->left[31] = 127;
    eq->right[0] = -1;
    eq->right[31] = 1;
    m.equalizer = eq;
    return m;
}

}  // namespace

class TestXaudioPlayerDispatch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        answers = std::make_unique<Shell::ScriptedAnswers>();
        player = std::make_unique<TXaudioPlayer>();
        log.lines.clear();
        bindAll(*player, log);
    }

    void cleanup()
    {
        player.reset();
        answers.reset();
    }

    void constructionWithTheRealLibraryShowsNoError()
    {
        // The library answers version 3.2 and creates its player: nothing to report, no error box.
        QCOMPARE(player->StartErrors(), QStringList());
        QCOMPARE(answers->texts(), QStringList());
    }

    void eachCodeReadsItsOwnFields_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("expected");  // empty: only OnNotifyMessage

        const QString t4 = QStringLiteral("[Ä-4]"), t8 = QStringLiteral("[é-8]"), t12 = QStringLiteral("[♪-12]");
        // Field values of the pattern record: u8(n) = 0x80+n; u16(6) 0x8786 = 34694, s16(6) = -30842,
        // u16(8) 0x8988 = 35208, s16(4) 0x8584 = -31356, u32(4) 0x87868584 = 2273740164 (s32: -2021227132),
        // u32(8) 0x8B8A8988 = 2341112200 (s32: -1953855096).
        const struct {
            int code;
            QString expected;
        } rows[] = {
            {64, "Ready"},
            {65, "Ack 132"},
            {66, "Nack 132 -30842"},
            {67, "Pong 2273740164"},
            {68, "Exited"},
            {69, "PlayerState 132"},
            {70, "PlayerMode -2021227132"},
            {71, "EnvInteger " + t4 + " -1953855096"},
            {72, "EnvString " + t4 + " " + t8},
            {73, "InputState 132"},
            {74, "InputName " + t4},
            {75, "InputCaps 2273740164"},
            {76, "InputPosition 2273740164 2341112200"},
            {77, "InputPositionRange -2021227132"},
            {78, "InputTimecode 132 133 134 135"},
            {79, "InputTimecodeGranularity 2273740164"},
            {80, "InputDuration 2273740164"},
            {81, "InputStreamInfo 132 133 34694 35208 138"},
            {82, "InputModule -31356"},
            {83, "InputModuleInfo 132 133 " + t8 + " " + t12},
            {84, "InputDeviceInfo 132 133 134 " + t8 + " " + t12},
            {85, "InputFilterInfo 136 " + t4},
            {86, "OutputState 132"},
            {87, "OutputName " + t4},
            {88, "OutputCaps 2273740164"},
            {89, "OutputVolume 132 133 134"},
            {90, "OutputBalance 134"},
            {91, "OutputPcmLevel 133"},
            {92, "OutputMasterLevel 132"},
            {93, "OutputChannels 132"},
            {94, "OutputPorts 132"},
            {95, ""},
            {96, "OutputModule -31356"},
            {97, "OutputModuleInfo 132 133 " + t8 + " " + t12},
            {98, "OutputDeviceInfo 132 133 134 " + t8 + " " + t12},
            {99, "OutputFilterInfo 136 " + t4},
            {100, "CodecQuality 132"},
            {101, "CodecEqualizer -128 127 -1 1"},
            {102, "NotificationMask 2273740164"},
            {103, "DebugLevel 132"},
            {104, "Progress 132 133 -30842 " + t8},
            {105, "Debug 132 133 " + t8},
            {106, "Error 132 -30842 " + t8},
            // Codes without an event of their own: commands, the unused gap, beyond the last notification.
            {0, ""},
            {-1, ""},
            {1, ""},
            {48, ""},
            {63, ""},
            {107, ""},
            {255, ""},
            {65 + 256, ""},  // only the whole 32-bit code selects an event
        };
        for (const auto &row : rows)
            QTest::addRow("code %d", row.code) << row.code << row.expected;
    }

    void eachCodeReadsItsOwnFields()
    {
        QFETCH(int, code);
        QFETCH(QString, expected);

        XA_NotificationEvent ev(patternMessage(code));
        QCoreApplication::sendEvent(player.get(), &ev);

        QStringList want{QStringLiteral("Message %1").arg(code)};  // always first
        if (!expected.isEmpty())
            want.append(expected);
        QCOMPARE(log.lines, want);
    }

    void signedAndNarrowFieldsOnRealisticRecords()
    {
        // Nack: command 7 at 4, error code 0xFFFE at 6 = -2; the byte at 5 is not part of either.
        XA_Message nack;
        nack.code = XA_MSG_NOTIFY_NACK;
        nack.set_u8(4, XA_MSG_COMMAND_INPUT_OPEN);
        nack.set_u8(5, 0x55);
        nack.set_u16(6, 0xFFFE);
        // Player state 3 with garbage above the state byte: the state is only the byte at 4.
        XA_Message state;
        state.code = XA_MSG_NOTIFY_PLAYER_STATE;
        state.set_u32(4, 0xABCDEF03);
        // Ports 0xFF in a one-byte field: widened to 255, not sign-extended, not read as 32 bits.
        XA_Message ports;
        ports.code = XA_MSG_NOTIFY_OUTPUT_PORTS;
        ports.set_u32(4, 0x123456FF);
        // MPEG 1, layer 3, 320 kbit/s, 48000 Hz (above 32767: unsigned 16-bit), mono.
        XA_Message info;
        info.code = XA_MSG_NOTIFY_INPUT_STREAM_INFO;
        info.set_u8(4, 1);
        info.set_u8(5, 3);
        info.set_u16(6, 320);
        info.set_u16(8, 48000);
        info.set_u8(10, XA_STREAM_MODE_MONO);
        info.set_u8(11, 0x77);
        // Error: source 2, code -20 at 6, message at 8.
        XA_Message error;
        error.code = XA_MSG_NOTIFY_ERROR;
        error.set_u8(4, 2);
        error.set_s16(6, XA_ERROR_DECODER);
        error.set_text(8, "decoder lost sync");

        player->OnNotifyMessage = nullptr;
        for (const XA_Message &m : {nack, state, ports, info, error}) {
            XA_NotificationEvent ev(m);
            QCoreApplication::sendEvent(player.get(), &ev);
        }
        QCOMPARE(log.lines,
                 QStringList({"Nack 7 -2", "PlayerState 3", "OutputPorts 255", "InputStreamInfo 1 3 320 48000 3",
                              "Error 2 -20 [decoder lost sync]"}));
    }

    void foreignEventsRaiseNothing()
    {
        QEvent user(QEvent::User);
        QCoreApplication::sendEvent(player.get(), &user);
        QEvent other(static_cast<QEvent::Type>(QEvent::registerEventType()));
        QCoreApplication::sendEvent(player.get(), &other);
        QTimerEvent timer(12345);
        QCoreApplication::sendEvent(player.get(), &timer);
        QCOMPARE(log.lines, QStringList());

        // The component stays an ordinary QObject: deferred deletion still works.
        QPointer<TXaudioPlayer> guard(player.release());
        guard->deleteLater();
        QTRY_VERIFY(guard.isNull());
    }

    void aHandlerMayReplaceItsOwnSlot()
    {
        // The handler's captured state must stay alive until it returns, even though it clears its own slot.
        player->OnNotifyMessage = nullptr;
        const QString note = QStringLiteral("captured text that must survive");
        player->OnNotifyReady = [this, note](TXaudioPlayer *Sender) {
            Sender->OnNotifyReady = nullptr;
            log.lines.append(note);
        };
        for (int i = 0; i < 2; ++i) {
            XA_NotificationEvent ev(patternMessage(XA_MSG_NOTIFY_READY));
            QCoreApplication::sendEvent(player.get(), &ev);
        }
        QCOMPARE(log.lines, QStringList({note}));
    }

    void textsAreIndependentCopies()
    {
        XA_Message m;
        m.code = XA_MSG_NOTIFY_INPUT_NAME;
        m.set_text(4, "/music/Motörhead – Ace.mp3");
        const QString original = QString::fromUtf8(m.text(4));
        QString kept;
        player->OnNotifyInputName = [&kept](TXaudioPlayer *, const QString &Name) { kept = Name; };
        {
            auto ev = std::make_unique<XA_NotificationEvent>(m);
            QCoreApplication::sendEvent(player.get(), ev.get());
            kept.replace(QStringLiteral("Ace"), QStringLiteral("XYZ"));
            QCOMPARE(QString::fromStdString(ev->message().text(4)), original);  // the event is untouched
        }
        QCOMPARE(kept, QStringLiteral("/music/Motörhead – XYZ.mp3"));  // and the copy outlives it
    }

    void equalizerWithoutItsRecordIsNotRaised()
    {
        XA_Message m = patternMessage(XA_MSG_NOTIFY_CODEC_EQUALIZER);
        m.equalizer.reset();
        XA_NotificationEvent ev(m);
        QCoreApplication::sendEvent(player.get(), &ev);
        QCOMPARE(log.lines, QStringList({"Message 101"}));
    }

    void postedNotificationsArriveInPostingOrder()
    {
        player->OnNotifyMessage = nullptr;
        for (uint32_t tag = 1; tag <= 5; ++tag) {
            XA_Message m;
            m.code = XA_MSG_NOTIFY_PONG;
            m.set_u32(4, tag);
            QCoreApplication::postEvent(player.get(), new XA_NotificationEvent(m));
        }
        QCOMPARE(log.lines.filter(QStringLiteral("Pong")), QStringList());  // nothing before the loop runs
        QCoreApplication::sendPostedEvents(player.get());
        // The library's own notifications (its Ready) may be queued in between; the pongs keep their order.
        QCOMPARE(log.lines.filter(QStringLiteral("Pong")),
                 QStringList({"Pong 1", "Pong 2", "Pong 3", "Pong 4", "Pong 5"}));
    }

    void apiMismatchText()
    {
        QCOMPARE(TXaudioPlayer::ApiMismatchText(0x030200), QString());
        QCOMPARE(TXaudioPlayer::ApiMismatchText(0x7F0302FF), QString());  // bits outside 8..23 do not count
        const QString prefix = QStringLiteral("Xaudio DLL API Mismatch\rExpected 3,2\rGot ");
        QCOMPARE(TXaudioPlayer::ApiMismatchText(0x030100), prefix + "3,1");
        QCOMPARE(TXaudioPlayer::ApiMismatchText(0x020200), prefix + "2,2");
        QCOMPARE(TXaudioPlayer::ApiMismatchText(0x0A0C00), prefix + "10,12");
        QCOMPARE(TXaudioPlayer::ApiMismatchText(-1), prefix + "255,255");
    }

private:
    std::unique_ptr<Shell::ScriptedAnswers> answers;
    std::unique_ptr<TXaudioPlayer> player;
    EventLog log;
};

QTEST_GUILESS_MAIN(TestXaudioPlayerDispatch)
#include "test_xaudio_player_dispatch.moc"
