// The audio settings window's output and codec pages with the real player: what each control sends, what
// showing the window asks and ends, the player's reports moving the controls without anything sent back,
// and the codec priority with its confirmation and with a priority the system refuses.

#include "audio/audio_mappings.h"
#include "audio_rig.h"
#include "tools/scripted_answers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <memory>

namespace {
const QString kHighestQuestion =
    QStringLiteral("Be careful with this option! Your computer may slow down and won't update the display.\r"
                   "Are you sure to set the Codec Priority to \"Highest\"?");

// The user picks item `index` of a list.
void Choose(QComboBox *list, int index)
{
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

// Takes from this thread the right to raise scheduling priorities, as an ordinary user lacks it, and gives
// it back when it goes.
class NoRaisingPriorities {
public:
    NoRaisingPriorities()
    {
        getrlimit(RLIMIT_NICE, &saved_);
        rlimit none = saved_;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_NICE, &none);
        SetEffective(false);
    }
    ~NoRaisingPriorities()
    {
        SetEffective(true);
        setrlimit(RLIMIT_NICE, &saved_);
    }

private:
    static void SetEffective(bool on)
    {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        if (syscall(SYS_capget, &header, data) != 0)
            return;
        auto &word = data[CAP_TO_INDEX(CAP_SYS_NICE)];
        const uint32_t bit = CAP_TO_MASK(CAP_SYS_NICE);
        if (on)
            word.effective |= word.permitted & bit;
        else
            word.effective &= ~bit;
        syscall(SYS_capset, &header, data);
    }
    rlimit saved_{};
};
}  // namespace

class TestAudioWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<Shell::ScriptedAnswers> m_answers;
    std::unique_ptr<AudioRig> m_rig;

    int LabelTopFor(QSlider *trackbar) const
    {
        return audio::LabelTop(trackbar->height(), trackbar->maximum(), trackbar->value(), trackbar->y());
    }

private Q_SLOTS:
    void init()
    {
        m_answers = std::make_unique<Shell::ScriptedAnswers>();
        m_rig = std::make_unique<AudioRig>();
        QVERIFY(m_rig->Sync());
    }
    void cleanup()
    {
        m_rig.reset();
        m_answers.reset();
    }

    void showingAsksThePlayerAndFillsTheControls()
    {
        // The player's state changes while the window does not hear of it.
        TXaudioPlayer *x = m_rig->player();
        x->OnNotifyOutputMasterLevel = nullptr;
        x->OnNotifyOutputPcmLevel = nullptr;
        x->OnNotifyOutputBalance = nullptr;
        x->OnNotifyOutputChannels = nullptr;
        x->OnNotifyOutputPorts = nullptr;
        x->OnNotifyCodecQuality = nullptr;
        x->SetOutputVolume(30, 70, 40);
        x->SetOutputChannels(XA_OUTPUT_CHANNELS_MONO_MIX);
        x->SetOutputPorts(XA_OUTPUT_PORT_HEADPHONE);
        x->SetCodecQuality(XA_CODEC_QUALITY_QUARTER);
        QVERIFY(m_rig->Sync());
        m_rig->main->BindAudioEvents();
        Tform_modifyaudiosettings *w = m_rig->window;
        // Until the player has reported, the labels show "100%" and the lists no selection.
        QCOMPARE(w->label_mastervolume->text(), QStringLiteral("100%"));
        QCOMPARE(w->combobox_outputchannels->currentIndex(), -1);
        QCOMPARE(w->combobox_codecpriority->currentIndex(), -1);

        const size_t mark = m_rig->Mark();
        m_rig->main->pop_modifyaudiosettingsClick();
        QVERIFY(w->isVisible());
        QVERIFY(m_rig->Sync());
        QCOMPARE(w->trackbar_mastervolume->value(), 60);
        QCOMPARE(w->label_mastervolume->text(), QStringLiteral("40%"));
        QCOMPARE(w->label_mastervolume->y(), LabelTopFor(w->trackbar_mastervolume));
        QCOMPARE(w->trackbar_pcmvolume->value(), 30);
        QCOMPARE(w->label_pcmvolume->text(), QStringLiteral("70%"));
        QCOMPARE(w->trackbar_pcmbalance->value(), 30);
        QCOMPARE(w->combobox_outputchannels->currentIndex(), 3);
        QCOMPARE(w->combobox_outputport->currentIndex(), 2);
        QCOMPARE(w->combobox_codecquality->currentIndex(), 2);
        QCOMPARE(w->combobox_codecpriority->currentIndex(), int(x->GetPriority()));
        // One answer to each question, and nothing sent back: a change would have been reported again.
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_OUTPUT_VOLUME, mark), 1);
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_OUTPUT_CHANNELS, mark), 1);
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_OUTPUT_PORTS, mark), 1);
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_CODEC_QUALITY, mark), 1);
        QCOMPARE(m_rig->Acks(XA_MSG_COMMAND_OUTPUT_UNMUTE, mark), 1);

        // Showing it again while it is shown only brings it forward: no questions.
        const size_t again = m_rig->Mark();
        m_rig->main->pop_modifyaudiosettingsClick();
        QVERIFY(m_rig->Sync());
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_OUTPUT_VOLUME, again), 0);
    }

    void reportsMoveTheControlsWithoutSendingBack()
    {
        Tform_modifyaudiosettings *w = m_rig->window;
        QVERIFY(!w->isVisible());  // reports reach the hidden window too
        const size_t mark = m_rig->Mark();
        m_rig->player()->SetOutputVolume(20, 100, 40);
        QVERIFY(m_rig->Sync());
        QCOMPARE(w->trackbar_mastervolume->value(), 60);
        QCOMPARE(w->label_mastervolume->text(), QStringLiteral("40%"));
        QCOMPARE(w->label_mastervolume->y(), 208);
        QCOMPARE(w->trackbar_pcmbalance->value(), 20);
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_OUTPUT_VOLUME, mark), 1);

        // Values without an item leave a list alone; a port value of several ports shows "Unknown".
        Choose(w->combobox_outputchannels, 1);
        Choose(w->combobox_codecquality, 1);
        QVERIFY(m_rig->Sync());
        w->ShowChannels(7);
        w->ShowQuality(3);
        QCOMPARE(w->combobox_outputchannels->currentIndex(), 1);
        QCOMPARE(w->combobox_codecquality->currentIndex(), 1);
        const size_t ports = m_rig->Mark();
        m_rig->player()->SetOutputPorts(3);
        QVERIFY(m_rig->Sync());
        QCOMPARE(w->combobox_outputport->currentIndex(), 3);
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_OUTPUT_PORTS, ports), 1);
    }

    void volumeAndBalanceSendOneTriple()
    {
        Tform_modifyaudiosettings *w = m_rig->window;
        // The master thumb dragged to the bottom: master 0 with the balance and PCM level unchanged.
        w->trackbar_mastervolume->triggerAction(QAbstractSlider::SliderToMaximum);
        QVERIFY(m_rig->Sync());
        const XA_Message *v = m_rig->Last(XA_MSG_NOTIFY_OUTPUT_VOLUME);
        QVERIFY(v);
        QCOMPARE(int(v->u8(4)), 0);    // master
        QCOMPARE(int(v->u8(5)), 100);  // PCM
        QCOMPARE(int(v->u8(6)), 50);   // balance
        QCOMPARE(w->label_mastervolume->text(), QStringLiteral("0%"));
        QCOMPARE(w->label_mastervolume->y(), 317);

        UserMove(w->trackbar_pcmvolume, 25);
        QVERIFY(m_rig->Sync());
        v = m_rig->Last(XA_MSG_NOTIFY_OUTPUT_VOLUME);
        QCOMPARE(int(v->u8(4)), 0);
        QCOMPARE(int(v->u8(5)), 75);
        QCOMPARE(w->label_pcmvolume->text(), QStringLiteral("75%"));
        QCOMPARE(w->label_pcmvolume->y(), LabelTopFor(w->trackbar_pcmvolume));

        // Balance at 80, then "Set Default Balance": 50 with the current levels.
        UserMove(w->trackbar_pcmbalance, 80);
        QVERIFY(m_rig->Sync());
        QCOMPARE(int(m_rig->Last(XA_MSG_NOTIFY_OUTPUT_VOLUME)->u8(6)), 80);
        const size_t mark = m_rig->Mark();
        w->button_setdefaultbalance->click();
        QVERIFY(m_rig->Sync());
        QCOMPARE(w->trackbar_pcmbalance->value(), 50);
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_OUTPUT_VOLUME, mark), 1);
        v = m_rig->Last(XA_MSG_NOTIFY_OUTPUT_VOLUME);
        QCOMPARE(int(v->u8(4)), 0);
        QCOMPARE(int(v->u8(5)), 75);
        QCOMPARE(int(v->u8(6)), 50);
        // The balance moves no label.
        QCOMPARE(w->label_pcmvolume->text(), QStringLiteral("75%"));
    }

    void showingTheWindowEndsAMute()
    {
        Tform_modifyaudiosettings *w = m_rig->window;
        size_t mark = m_rig->Mark();
        w->checkbox_mute->click();
        QVERIFY(m_rig->Sync());
        QCOMPARE(m_rig->Acks(XA_MSG_COMMAND_OUTPUT_MUTE, mark), 1);

        mark = m_rig->Mark();
        w->show();
        QVERIFY(m_rig->Sync());
        QVERIFY(!w->checkbox_mute->isChecked());
        // Once by the showing, once by the check box's handler as it is cleared.
        QCOMPARE(m_rig->Acks(XA_MSG_COMMAND_OUTPUT_UNMUTE, mark), 2);
        QCOMPARE(m_rig->Acks(XA_MSG_COMMAND_OUTPUT_MUTE, mark), 0);
    }

    void listsSendTheirValues()
    {
        Tform_modifyaudiosettings *w = m_rig->window;
        Choose(w->combobox_outputport, 2);  // "Headphone"
        QVERIFY(m_rig->Sync());
        QCOMPARE(m_rig->Last(XA_MSG_NOTIFY_OUTPUT_PORTS)->u8(4), uint8_t(4));
        QCOMPARE(w->combobox_outputport->currentIndex(), 2);
        Choose(w->combobox_outputport, 0);  // "Speaker"
        QVERIFY(m_rig->Sync());
        QCOMPARE(m_rig->Last(XA_MSG_NOTIFY_OUTPUT_PORTS)->u8(4), uint8_t(2));

        Choose(w->combobox_outputchannels, 3);
        QVERIFY(m_rig->Sync());
        QCOMPARE(m_rig->Last(XA_MSG_NOTIFY_OUTPUT_CHANNELS)->u8(4), uint8_t(3));

        Choose(w->combobox_codecquality, 1);
        QVERIFY(m_rig->Sync());
        QCOMPARE(m_rig->Last(XA_MSG_NOTIFY_CODEC_QUALITY)->u8(4), uint8_t(1));

        // No selection sends nothing.
        const size_t mark = m_rig->Mark();
        Choose(w->combobox_outputchannels, -1);
        Choose(w->combobox_outputport, -1);
        Choose(w->combobox_codecquality, -1);
        QVERIFY(m_rig->Sync());
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_OUTPUT_CHANNELS, mark), 0);
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_OUTPUT_PORTS, mark), 0);
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_CODEC_QUALITY, mark), 0);
    }

    void highestPriorityOnlyAfterYes()
    {
        Tform_modifyaudiosettings *w = m_rig->window;
        TXaudioPlayer *x = m_rig->player();
        Choose(w->combobox_codecpriority, XA_PRIORITY_LOWEST);
        QCOMPARE(int(x->GetPriority()), XA_PRIORITY_LOWEST);
        QVERIFY(m_answers->requests().isEmpty());

        m_answers->pushNo();
        Choose(w->combobox_codecpriority, 4);
        QCOMPARE(m_answers->texts(), QStringList{kHighestQuestion});
        QCOMPARE(m_answers->requests().constFirst().kind, Shell::Kind::Confirm);
        QCOMPARE(int(x->GetPriority()), XA_PRIORITY_LOWEST);
        QCOMPARE(w->combobox_codecpriority->currentIndex(), 4);  // until the window is shown again
        w->FormShow();
        QCOMPARE(w->combobox_codecpriority->currentIndex(), XA_PRIORITY_LOWEST);

        if (geteuid() != 0)
            QSKIP("raising the decoder's priority needs root");
        m_answers->pushYes();
        Choose(w->combobox_codecpriority, 4);
        QCOMPARE(int(x->GetPriority()), XA_PRIORITY_HIGHEST);
        QCOMPARE(w->combobox_codecpriority->toolTip(), Tform_modifyaudiosettings::PriorityToolTip());
    }

    void aRefusedPriorityIsToldAndShownAsGranted()
    {
        Tform_modifyaudiosettings *w = m_rig->window;
        TXaudioPlayer *x = m_rig->player();
        Choose(w->combobox_codecpriority, XA_PRIORITY_LOWEST);  // lowering needs no right
        QCOMPARE(int(x->GetPriority()), XA_PRIORITY_LOWEST);
        {
            NoRaisingPriorities ordinaryUser;
            Choose(w->combobox_codecpriority, XA_PRIORITY_NORMAL);
            QCOMPARE(int(x->GetPriority()), XA_PRIORITY_LOWEST);
            QCOMPARE(w->combobox_codecpriority->currentIndex(), XA_PRIORITY_NORMAL);
            QVERIFY2(w->combobox_codecpriority->toolTip().startsWith(
                         "The system did not grant the priority \"Normal\": the decoder runs at \"Lowest\"."),
                     qPrintable(w->combobox_codecpriority->toolTip()));
            w->show();
            QCOMPARE(w->combobox_codecpriority->currentIndex(), XA_PRIORITY_LOWEST);
            QCOMPARE(w->combobox_codecpriority->toolTip(), Tform_modifyaudiosettings::PriorityToolTip());
        }
    }
};

QTEST_MAIN(TestAudioWindow)
#include "test_audio_window.moc"
