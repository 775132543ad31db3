// The mini-info popup and its configuration window with the main window: who pops it up and when, where
// it goes, how long it stays, the time line, and the configuration's OK, Cancel and refused seconds.

#include "app/ui/form_main.h"
#include "miniinfo/ui/form_ConfigureMiniInfo.h"
#include "miniinfo/ui/form_currenttitle.h"
#include "miniinfo/miniinfo_rules.h"
#include "tools/main_window_rig.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <memory>

class TestMiniInfoWindow : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MainWindowRig> m_rig;
    Shell::ScriptedAnswers *m_answers = nullptr;
    Tform_main *m_form = nullptr;
    Tform_currenttitle *m_popup = nullptr;
    Tform_ConfigureMiniInfo *m_config = nullptr;

    void Configure(bool activate, bool everytime, int time) { m_form->settings.MiniInfo = {activate, everytime, time}; }

private Q_SLOTS:
    void init()
    {
        m_rig = std::make_unique<MainWindowRig>();
        m_form = m_rig->form;
        m_answers = &m_rig->answers;
        m_popup = form_currenttitle = new Tform_currenttitle;
        m_config = form_ConfigureMiniInfo = new Tform_ConfigureMiniInfo;
        m_form->hide();
        Configure(true, false, 3000);
        m_answers->clear();
    }

    void cleanup()
    {
        delete m_config;
        delete m_popup;
        form_ConfigureMiniInfo = nullptr;
        form_currenttitle = nullptr;
        m_rig.reset();
    }

    void popupAsDesigned()
    {
        QCOMPARE(m_popup->size(), QSize(292, 39));
        const Qt::WindowFlags flags = m_popup->windowFlags();
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(m_popup->testAttribute(Qt::WA_ShowWithoutActivating));
        QCOMPARE(m_popup->label_currentset->geometry(), QRect(0, 0, 292, 13));
        QCOMPARE(m_popup->label_CurrentTimeAndDuration->geometry(), QRect(0, 26, 292, 13));
        QVERIFY(m_popup->label_currentsong->alignment().testFlag(Qt::AlignRight));
        QVERIFY(!m_popup->isVisible());
        QVERIFY(!m_popup->timer_currenttitle->isActive());
    }

    void showMiniInfoCommandPopsUpInTheCorner()
    {
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_ShowMiniInfo));
        QVERIFY(m_popup->isVisible());
        // Before any song was opened, the placeholders show.
        QCOMPARE(m_popup->label_currentset->text(), QStringLiteral("Name of the Set unknown."));
        QCOMPARE(m_popup->label_currentsong->text(), QStringLiteral("Song Title unknown."));
        const QRect workArea = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(m_popup->pos(), miniinfo::MiniInfoPosition(workArea, QSize(292, 39)));
        QCOMPARE(m_popup->geometry().bottom(), workArea.bottom());
        QCOMPARE(workArea.right() - m_popup->geometry().right(), 6);
        QVERIFY(m_popup->timer_currenttitle->isActive());
        QCOMPARE(m_popup->timer_currenttitle->interval(), 3000);

        // The countdown ends: the popup hides and the timer stops.
        m_popup->timer_currenttitleTimer();
        QVERIFY(!m_popup->isVisible());
        QVERIFY(!m_popup->timer_currenttitle->isActive());
    }

    void aSecondPopUpRefreshesTheTexts()
    {
        m_form->ShowMiniInfo(true);
        m_form->label_setname->setText(QStringLiteral("Rock"));
        m_form->label_songtitle->setText(QStringLiteral("Song B"));
        m_form->ShowMiniInfo(true);
        QCOMPARE(m_popup->label_currentset->text(), QStringLiteral("Rock"));
        QCOMPARE(m_popup->label_currentsong->text(), QStringLiteral("Song B"));
        QVERIFY(m_popup->isVisible());
    }

    void unforcedOnlyWhenShownOnEveryChange()
    {
        // Playing starts, rewind and fast forward ask without forcing.
        m_form->ShowMiniInfo(false);
        QVERIFY(!m_popup->isVisible());
        Configure(true, true, 3000);
        m_form->ShowMiniInfo(false);
        QVERIFY(m_popup->isVisible());
        QVERIFY(m_popup->timer_currenttitle->isActive());
    }

    void nothingWhileVisibleOrSwitchedOff()
    {
        Configure(false, true, 3000);
        Tform_main::ClickMenuItem(m_form->pop_ShowMiniInfo);
        QVERIFY(!m_popup->isVisible());

        Configure(true, true, 3000);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        Tform_main::ClickMenuItem(m_form->pop_ShowMiniInfo);
        m_form->ShowMiniInfo(false);
        QVERIFY(!m_popup->isVisible());
        QVERIFY(!m_popup->timer_currenttitle->isActive());
    }

    void zeroSecondsStayUntilATimeIsSet()
    {
        Configure(true, false, 0);
        m_form->ShowMiniInfo(true);
        QVERIFY(m_popup->isVisible());
        QVERIFY(!m_popup->timer_currenttitle->isActive());
        m_form->ShowMiniInfo(true);
        QVERIFY(!m_popup->timer_currenttitle->isActive());

        Configure(true, false, 4000);
        m_form->ShowMiniInfo(true);
        QVERIFY(m_popup->timer_currenttitle->isActive());
        QCOMPARE(m_popup->timer_currenttitle->interval(), 4000);
    }

    void theTimerHidesThePopup()
    {
        Configure(true, false, 50);
        m_form->ShowMiniInfo(true);
        QVERIFY(m_popup->isVisible());
        QTRY_VERIFY(!m_popup->isVisible());
        QVERIFY(!m_popup->Countdown().enabled());
    }

    void configurationShowsTheSettings()
    {
        Configure(true, false, 3999);
        Tform_main::ClickMenuItem(m_form->pop_ConfigureMiniInfo);
        QVERIFY(m_config->isVisible());
        QVERIFY(!m_config->isModal());
        QCOMPARE(m_config->windowTitle(), QStringLiteral("Configure Mini-Info:"));
        QVERIFY(m_config->width() >= 529 && m_config->height() >= 170);
        // Every caption fits: nothing is cut off, whatever the desktop's font.
        for (QWidget *w :
             {static_cast<QWidget *>(m_config->checkbox_activate), static_cast<QWidget *>(m_config->radiobutton_only),
              static_cast<QWidget *>(m_config->radiobutton_everytime), static_cast<QWidget *>(m_config->label_seconds1),
              static_cast<QWidget *>(m_config->label_seconds2), static_cast<QWidget *>(m_config->button_ok)})
            QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(w->objectName()));
        QVERIFY(m_config->label_info->height() >= m_config->label_info->heightForWidth(m_config->label_info->width()));
        QVERIFY(m_config->checkbox_activate->isChecked());
        QVERIFY(m_config->radiobutton_only->isChecked());
        QCOMPARE(m_config->edit_seconds->text(), QStringLiteral("3"));
        QVERIFY(m_config->edit_seconds->isEnabled());

        // Unchecked, the options are disabled; checked again, enabled.
        m_config->checkbox_activate->click();
        for (QWidget *w :
             {static_cast<QWidget *>(m_config->radiobutton_everytime), static_cast<QWidget *>(m_config->edit_seconds),
              static_cast<QWidget *>(m_config->label_info)})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(!m_config->groupbox_miniinfo->isEnabled());
        m_config->checkbox_activate->click();
        QVERIFY(m_config->radiobutton_everytime->isEnabled());
        QVERIFY(m_config->label_seconds2->isEnabled());
        m_config->button_cancel->click();

        // Shown with the switch off, the options start disabled, and "every time" is selected.
        Configure(false, true, 3000);
        m_form->pop_ConfigureMiniInfoClick();
        QVERIFY(!m_config->edit_seconds->isEnabled());
        QVERIFY(m_config->radiobutton_everytime->isChecked());
    }

    void tenSecondsRoundTrip()
    {
        m_form->pop_ConfigureMiniInfoClick();
        m_config->radiobutton_everytime->setChecked(true);
        m_config->edit_seconds->setText(QStringLiteral("10"));
        m_config->button_ok->click();
        QVERIFY(!m_config->isVisible());
        QCOMPARE(m_form->settings.MiniInfo, (SettingsMiniInfo{true, true, 10000}));

        m_form->ShowMiniInfo(true);
        QCOMPARE(m_popup->timer_currenttitle->interval(), 10000);
        QVERIFY(m_popup->timer_currenttitle->isActive());

        m_form->pop_ConfigureMiniInfoClick();
        QCOMPARE(m_config->edit_seconds->text(), QStringLiteral("10"));
        QVERIFY(m_config->radiobutton_everytime->isChecked());
    }

    void secondsThatAreNoWholeNumberChangeNothing()
    {
        m_form->pop_ConfigureMiniInfoClick();
        m_config->checkbox_activate->setChecked(false);
        m_config->radiobutton_everytime->setChecked(true);
        m_config->edit_seconds->setText(QStringLiteral("2.5"));
        m_config->button_ok->click();
        QCOMPARE(m_answers->requests().size(), 1);
        QCOMPARE(m_answers->requests().first().kind, Shell::Kind::Error);
        QVERIFY2(m_answers->texts().first().contains(QStringLiteral("'2.5'")), qPrintable(m_answers->texts().first()));
        QVERIFY(m_config->isVisible());
        QCOMPARE(m_form->settings.MiniInfo, (SettingsMiniInfo{true, false, 3000}));

        // Mended, OK takes everything over.
        m_config->edit_seconds->setText(QStringLiteral("4"));
        m_config->button_ok->click();
        QCOMPARE(m_form->settings.MiniInfo, (SettingsMiniInfo{false, true, 4000}));
    }

    void cancelChangesNothing()
    {
        m_form->pop_ConfigureMiniInfoClick();
        m_config->checkbox_activate->setChecked(false);
        m_config->edit_seconds->setText(QStringLiteral("9"));
        m_config->button_cancel->click();
        QVERIFY(!m_config->isVisible());
        QCOMPARE(m_form->settings.MiniInfo, (SettingsMiniInfo{true, false, 3000}));
        // Shown again, it starts from the settings, not from what was typed.
        m_form->pop_ConfigureMiniInfoClick();
        QCOMPARE(m_config->edit_seconds->text(), QStringLiteral("3"));
        QVERIFY(m_config->checkbox_activate->isChecked());
    }
};

QTEST_MAIN(TestMiniInfoWindow)
#include "test_miniinfo_window.moc"
