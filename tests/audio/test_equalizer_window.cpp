// The equalizer page with the real player: the switch, the sliders written to their bands and read back
// through the player's report, both channels together, the defaults, loading and saving equalizer files
// with their messages, and the equalizer's steps of the program's start-up and exit.

#include "audio/eqs_file.h"
#include "audio_rig.h"
#include "tools/scripted_answers.h"
#include "tools/files.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace audio;

namespace {
QByteArray Lines(const QList<int> &values)
{
    QByteArray data;
    for (int v : values)
        data += QByteArray::number(v) + "\r\n";
    return data;
}

QList<int> Sequence(int count, int first, int step)
{
    QList<int> values;
    for (int i = 0; i < count; ++i)
        values << first + i * step;
    return values;
}

}  // namespace

class TestEqualizerWindow : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<Shell::ScriptedAnswers> m_answers;
    std::unique_ptr<AudioRig> m_rig;
    Tform_modifyaudiosettings *w = nullptr;

    void SwitchOn()
    {
        w->checkbox_enableequalizer->setChecked(true);
        QVERIFY(m_rig->Sync());
    }
    QList<int> Positions() const
    {
        QList<int> p;
        for (int i = 0; i < kSliderCount; ++i)
            p << w->EqualizerSlider(i)->value();
        return p;
    }
    QStringList Edits() const
    {
        QStringList e;
        for (int i = 0; i < kSliderCount; ++i)
            e << w->EqualizerEdit(i)->text();
        return e;
    }
    // The sliders as the player's record would show them: each edit box holds its slider's band value.
    void VerifyEditsShowBandValues()
    {
        for (int i = 0; i < kSliderCount; ++i)
            QCOMPARE(w->EqualizerEdit(i)->text(), QString::number(BandValue(w->EqualizerSlider(i)->value())));
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_answers = std::make_unique<Shell::ScriptedAnswers>();
        m_rig = std::make_unique<AudioRig>();
        w = m_rig->window;
        m_rig->main->DefaultEqualizerFile = m_dir.filePath("devud3.eqs");
        QFile::remove(m_rig->main->DefaultEqualizerFile);
        QVERIFY(m_rig->Sync());
    }
    void cleanup()
    {
        m_rig.reset();
        m_answers.reset();
    }

    void switchingOnAndOff()
    {
        QVERIFY(!w->checkbox_enableequalizer->isChecked());
        QVERIFY(!w->tb_l[0]->isEnabled());
        QVERIFY(!w->button_loadeqsettings->isEnabled());
        QVERIFY(w->checkbox_enableequalizer->isEnabled());

        size_t mark = m_rig->Mark();
        SwitchOn();
        QVERIFY(m_rig->main->settings.Audio.EnableEqualizer);
        QCOMPARE(m_rig->Acks(XA_MSG_SET_CODEC_EQUALIZER, mark), 1);
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_CODEC_EQUALIZER, mark), 1);
        for (QWidget *c :
             std::initializer_list<QWidget *>{w->button_loadeqsettings, w->button_saveeqsettings, w->button_eqdefault,
                                              w->checkbox_both, w->label_lchannel, w->label_rchannel, w->label_bass,
                                              w->label_treble, w->tb_r[15], w->edit_r[15], w->tb_l[3], w->edit_l[3]})
            QVERIFY2(c->isEnabled(), qPrintable(c->objectName()));

        UserMove(w->tb_l[2], -50);
        QVERIFY(m_rig->Sync());
        QCOMPARE(int(m_rig->LastEqualizer().left[2]), 50);

        // Off: the player's equalizer goes off, the positions stay.
        mark = m_rig->Mark();
        w->checkbox_enableequalizer->setChecked(false);
        QVERIFY(m_rig->Sync());
        QVERIFY(!m_rig->main->settings.Audio.EnableEqualizer);
        QCOMPARE(m_rig->Acks(XA_MSG_SET_CODEC_EQUALIZER, mark), 1);
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_CODEC_EQUALIZER, mark), 0);
        QVERIFY(!w->tb_l[2]->isEnabled());
        QVERIFY(!w->edit_l[2]->isEnabled());
        QVERIFY(!w->checkbox_both->isEnabled());
        QCOMPARE(w->tb_l[2]->value(), -50);
        {
            // The player holds no equalizer now (asked without the window hearing the answer).
            TXaudioPlayer *x = m_rig->player();
            const auto shown = std::exchange(x->OnNotifyCodecEqualizer, nullptr);
            QCOMPARE(int(m_rig->AskEqualizer().left[2]), 0);
            x->OnNotifyCodecEqualizer = shown;
        }

        // On again: the unchanged positions go to the player.
        SwitchOn();
        QCOMPARE(int(m_rig->LastEqualizer().left[2]), 50);
        QCOMPARE(w->tb_l[2]->value(), -50);
    }

    void slidersWriteTheirBandsAndReadOneBack()
    {
        SwitchOn();
        UserMove(w->tb_l[8], -40);
        QVERIFY(m_rig->Sync());
        XA_EqualizerInfo r = m_rig->LastEqualizer();
        for (int b = 0; b < 32; ++b)
            QCOMPARE(int(r.left[b]), b >= 8 && b <= 10 ? 40 : 0);
        for (int b = 0; b < 32; ++b)
            QCOMPARE(int(r.right[b]), 0);
        QCOMPARE(w->tb_l[8]->value(), -40);
        QCOMPARE(w->edit_l[8]->text(), QStringLiteral("40"));

        // The very top sends +127 and comes back one step lower.
        UserMove(w->tb_l[0], -128);
        QVERIFY(m_rig->Sync());
        QCOMPARE(int(m_rig->LastEqualizer().left[0]), 127);
        QCOMPARE(w->tb_l[0]->value(), -127);
        QCOMPARE(w->edit_l[0]->text(), QStringLiteral("127"));

        // A report sets the sliders without sending anything back.
        XA_EqualizerInfo reported{};
        reported.left[12] = -128;
        reported.right[5] = 33;
        const size_t mark = m_rig->Mark();
        w->ShowEqualizer(reported);
        QVERIFY(m_rig->Sync());
        QCOMPARE(w->tb_l[9]->value(), 127);
        QCOMPARE(w->edit_l[9]->text(), QStringLiteral("-127"));
        QCOMPARE(w->tb_r[5]->value(), -33);
        QCOMPARE(w->edit_r[5]->text(), QStringLiteral("33"));
        QCOMPARE(w->tb_l[8]->value(), 0);
        QCOMPARE(m_rig->Acks(XA_MSG_SET_CODEC_EQUALIZER, mark), 0);
    }

    void bothChannelsTogether()
    {
        SwitchOn();
        w->checkbox_both->setChecked(true);
        for (int k = 0; k < 16; ++k)
            w->tb_l[size_t(k)]->setValue(k * 7 - 60);
        const size_t mark = m_rig->Mark();
        UserMove(w->tb_r[3], 90);  // a right slider: the whole right row snaps to the left one
        QVERIFY(m_rig->Sync());
        for (int k = 0; k < 16; ++k)
            QCOMPARE(w->tb_r[size_t(k)]->value(), k * 7 - 60);
        const XA_EqualizerInfo r = m_rig->LastEqualizer();
        QVERIFY(std::equal(std::begin(r.left), std::end(r.left), std::begin(r.right)));
        QCOMPARE(int(r.right[3]), 60 - 3 * 7);
        QCOMPARE(m_rig->Acks(XA_MSG_SET_CODEC_EQUALIZER, mark), 1);
    }

    void defaultsFlattenEverything()
    {
        SwitchOn();
        UserMove(w->tb_l[4], -70);
        UserMove(w->tb_r[12], 55);
        QVERIFY(m_rig->Sync());
        w->button_eqdefault->click();
        QVERIFY(m_rig->Sync());
        QCOMPARE(Positions(), QList<int>(kSliderCount, 0));
        QCOMPARE(Edits(), QStringList(kSliderCount, QStringLiteral("0")));
        const XA_EqualizerInfo r = m_rig->LastEqualizer();
        QVERIFY(std::all_of(std::begin(r.left), std::end(r.left), [](int8_t v) { return v == 0; }));
        QVERIFY(std::all_of(std::begin(r.right), std::end(r.right), [](int8_t v) { return v == 0; }));
    }

    void savedFilesLoadBack()
    {
        SwitchOn();
        for (int i = 0; i < kSliderCount; ++i)
            w->EqualizerSlider(i)->setValue(i * 8 - 128);
        const QList<int> saved = Positions();
        const QString path = m_dir.filePath("round.eqs");
        w->SaveEQSettings(path);
        QVERIFY(m_answers->requests().isEmpty());
        const QByteArray data = fileContents(path);
        QCOMPARE(data, Lines(saved));
        QCOMPARE(data.count("\r\n"), 32);

        w->button_eqdefault->click();
        QVERIFY(m_rig->Sync());
        w->LoadEQSettings(path);
        QVERIFY(m_rig->Sync());
        QVERIFY(m_answers->requests().isEmpty());
        // Loaded, applied, and the report shows the player's record: the top -128 comes back as -127.
        QList<int> expected = saved;
        expected[0] = -127;
        QCOMPARE(Positions(), expected);
        VerifyEditsShowBandValues();
        QCOMPARE(int(m_rig->LastEqualizer().right[BandReadBack(15)]), -(31 * 8 - 128));
    }

    void aShortFileLoadsInPartAndSaysSo()
    {
        SwitchOn();
        UserMove(w->tb_r[15], 77);
        QVERIFY(m_rig->Sync());
        const QString path = m_dir.filePath("short.eqs");
        QVERIFY(writeFile(path, Lines(Sequence(31, -30, 2))));
        const size_t mark = m_rig->Mark();
        w->LoadEQSettings(path);
        QVERIFY(m_rig->Sync());
        QCOMPARE(m_answers->texts(), QStringList{ReadFailedText(path)});
        QCOMPARE(m_answers->requests().constFirst().kind, Shell::Kind::Error);
        const QList<int> p = Positions();
        QCOMPARE(p.mid(0, 31), Sequence(31, -30, 2));
        QCOMPARE(p[31], 77);
        // Applied all the same.
        QCOMPARE(m_rig->Acks(XA_MSG_SET_CODEC_EQUALIZER, mark), 1);
        const XA_EqualizerInfo r = m_rig->LastEqualizer();
        QCOMPARE(int(r.left[0]), 30);
        QCOMPARE(int(r.right[BandReadBack(14)]), -(-30 + 30 * 2));
        QCOMPARE(int(r.right[31]), -77);
    }

    void aBadLineStopsTheLoad()
    {
        SwitchOn();
        for (int i = 0; i < kSliderCount; ++i)
            w->EqualizerSlider(i)->setValue(-5);
        const QString path = m_dir.filePath("abc.eqs");
        QByteArray data = Lines({10, 300, -300, 20}) + "abc\r\n" + Lines(Sequence(27, 1, 1));
        QVERIFY(writeFile(path, data));
        w->LoadEQSettings(path);
        QVERIFY(m_rig->Sync());
        QCOMPARE(m_answers->texts(), QStringList{ReadFailedText(path)});
        const QList<int> p = Positions();
        QCOMPARE(p.mid(0, 4), (QList<int>{10, 127, -128 + 1, 20}));  // -300 sends +127, which reads back as -127
        QCOMPARE(p.mid(4), QList<int>(28, -5));
    }

    void aFileThatCannotBeReadChangesNothing()
    {
        SwitchOn();
        UserMove(w->tb_l[1], -12);
        QVERIFY(m_rig->Sync());
        const QList<int> before = Positions();
        const QStringList edits = Edits();
        const size_t mark = m_rig->Mark();
        const QString path = m_dir.filePath("missing.eqs");
        w->LoadEQSettings(path);
        QVERIFY(m_rig->Sync());
        QCOMPARE(m_answers->texts(), QStringList{LoadFailedText(path)});
        QCOMPARE(Positions(), before);
        QCOMPARE(Edits(), edits);
        QCOMPARE(m_rig->Acks(XA_MSG_SET_CODEC_EQUALIZER, mark), 0);
    }

    void loadingWhileOffSendsNothing()
    {
        const QString path = m_dir.filePath("off.eqs");
        QVERIFY(writeFile(path, Lines(Sequence(32, -40, 3))));
        const size_t mark = m_rig->Mark();
        w->LoadEQSettings(path);
        QVERIFY(m_rig->Sync());
        QVERIFY(m_answers->requests().isEmpty());
        QCOMPARE(Positions(), Sequence(32, -40, 3));
        QCOMPARE(m_rig->Acks(XA_MSG_SET_CODEC_EQUALIZER, mark), 0);
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_CODEC_EQUALIZER, mark), 0);
        VerifyEditsShowBandValues();
        QCOMPARE(w->edit_l[0]->text(), QStringLiteral("40"));
    }

    void theButtonsGoThroughTheFileDialogs()
    {
        SwitchOn();
        UserMove(w->tb_l[6], -66);
        QVERIFY(m_rig->Sync());
        m_answers->pushPath(m_dir.filePath("jazz"));
        w->button_saveeqsettings->click();
        QCOMPARE(m_answers->requests().size(), 1);
        const Shell::Request &save = m_answers->requests().constFirst();
        QCOMPARE(save.kind, Shell::Kind::SaveFile);
        QCOMPARE(save.filter, QStringLiteral("DAK-MP3 Equalizer Settings (*.eqs);;All files (*)"));
        QVERIFY(QFile::exists(m_dir.filePath("jazz.eqs")));
        QVERIFY(!QFile::exists(m_dir.filePath("jazz")));
        m_answers->pushPath(m_dir.filePath("jazz.txt"));
        w->button_saveeqsettings->click();
        QVERIFY(QFile::exists(m_dir.filePath("jazz.txt")));
        QVERIFY(!QFile::exists(m_dir.filePath("jazz.txt.eqs")));
        m_answers->pushCancel();
        w->button_saveeqsettings->click();  // nothing to do

        w->button_eqdefault->click();
        QVERIFY(m_rig->Sync());
        m_answers->clear();
        m_answers->pushPath(m_dir.filePath("jazz.eqs"));
        w->button_loadeqsettings->click();
        QVERIFY(m_rig->Sync());
        QCOMPARE(m_answers->requests().size(), 1);
        QCOMPARE(m_answers->requests().constFirst().kind, Shell::Kind::OpenFile);
        QCOMPARE(w->tb_l[6]->value(), -66);
        QCOMPARE(int(m_rig->LastEqualizer().left[6]), 66);
        m_answers->pushCancel();
        w->button_loadeqsettings->click();
        QCOMPARE(m_answers->requests().size(), 2);
    }

    void aFailedSaveSaysSo()
    {
        const QString path = m_dir.filePath("no/such/folder/x.eqs");
        w->SaveEQSettings(path);
        QCOMPARE(m_answers->texts(), QStringList{SaveFailedText(path)});
        QCOMPARE(w->WriteEQSettings(path), SaveFailedText(path));
        QCOMPARE(w->WriteEQSettings(m_dir.filePath("fine.eqs")), QString());
    }

    void startUpFollowsTheSwitch()
    {
        Tform_main *main = m_rig->main;
        const QString file = main->DefaultEqualizerFile;
        QVERIFY(writeFile(file, Lines(Sequence(32, -31, 2))));

        // Off: the file stays unread, the controls are disabled, the player's equalizer is off.
        main->settings.Audio.EnableEqualizer = false;
        size_t mark = m_rig->Mark();
        main->ApplyEqualizerSettings();
        QVERIFY(m_rig->Sync());
        QVERIFY(!w->checkbox_enableequalizer->isChecked());
        QVERIFY(!w->tb_l[0]->isEnabled());
        QCOMPARE(Positions(), QList<int>(kSliderCount, 0));
        QCOMPARE(m_rig->Count(XA_MSG_NOTIFY_CODEC_EQUALIZER, mark), 0);

        // On: the check box's handler, the question, the file, applied.
        main->settings.Audio.EnableEqualizer = true;
        mark = m_rig->Mark();
        main->ApplyEqualizerSettings();
        QVERIFY(m_rig->Sync());
        QVERIFY(w->checkbox_enableequalizer->isChecked());
        QVERIFY(w->tb_l[0]->isEnabled());
        QVERIFY(w->button_saveeqsettings->isEnabled());
        QCOMPARE(Positions(), Sequence(32, -31, 2));
        QCOMPARE(int(m_rig->LastEqualizer().left[0]), 31);
        QVERIFY(m_rig->Acks(XA_MSG_SET_CODEC_EQUALIZER, mark) >= 2);
        QVERIFY(m_answers->requests().isEmpty());

        // Running the configuration load again reloads the file over the current positions.
        UserMove(w->tb_l[0], 100);
        QVERIFY(m_rig->Sync());
        main->ApplyEqualizerSettings();
        QVERIFY(m_rig->Sync());
        QCOMPARE(w->tb_l[0]->value(), -31);

        // The first start: on, no file yet: the sliders as they are (all at 0) go to the player.
        QVERIFY(QFile::remove(file));
        w->button_eqdefault->click();
        w->checkbox_enableequalizer->setChecked(false);
        QVERIFY(m_rig->Sync());
        mark = m_rig->Mark();
        main->ApplyEqualizerSettings();
        QVERIFY(m_rig->Sync());
        QVERIFY(m_rig->Acks(XA_MSG_SET_CODEC_EQUALIZER, mark) >= 1);
        QCOMPARE(Positions(), QList<int>(kSliderCount, 0));
        QVERIFY(m_answers->requests().isEmpty());
    }

    void exitSavesTheDefaultFileOnlyWhileOn()
    {
        Tform_main *main = m_rig->main;
        main->ConfigFilePath = m_dir.filePath("devud3.dat");
        const QString file = main->DefaultEqualizerFile;

        main->settings.Audio.EnableEqualizer = true;
        main->ApplyEqualizerSettings();
        UserMove(w->tb_l[5], -20);
        UserMove(w->tb_r[0], 30);
        QVERIFY(m_rig->Sync());
        QVERIFY(main->FormClose());
        QList<int> expected(kSliderCount, 0);
        expected[5] = -20;
        expected[16] = 30;
        QCOMPARE(fileContents(file), Lines(expected));
        QVERIFY(fileContents(main->ConfigFilePath).contains("EnableEqualizer=1"));

        // Off: the switch is stored as 0 and the file from before stays as it was.
        w->checkbox_enableequalizer->setChecked(false);
        w->tb_l[5]->setValue(99);
        QVERIFY(main->FormClose());
        QCOMPARE(fileContents(file), Lines(expected));
        QVERIFY(fileContents(main->ConfigFilePath).contains("EnableEqualizer=0"));

        // A default file that cannot be written: the exit asks whether to end anyway.
        w->checkbox_enableequalizer->setChecked(true);
        main->DefaultEqualizerFile = m_dir.filePath("no/such/folder/devud3.eqs");
        m_answers->pushNo();
        QVERIFY(!main->FormClose());
        QCOMPARE(m_answers->requests().size(), 1);
        QCOMPARE(m_answers->requests().constFirst().kind, Shell::Kind::Confirm);
        QVERIFY(m_answers->texts().constFirst().startsWith(SaveFailedText(main->DefaultEqualizerFile)));
    }
};

QTEST_MAIN(TestEqualizerWindow)
#include "test_equalizer_window.moc"
