// The main window as a widget: its controls, the popup menu, menu clicks, the tray clicks, display styles,
// docking, always on top and the about window.

#include "app/ui/panel_docking.h"
#include "app/ui/slider_user_moves.h"
#include "app/ui/tray_clicks.h"
#include "app/ui/tray_presence.h"
#include "app/ui/form_about.h"
#include "app/ui/form_main.h"
#include "playback/now_playing.h"
#include "tools/main_window_rig.h"
#include "playback/XaudioPlayer.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

namespace {

QStringList Names(const QMenu *menu)
{
    QStringList names;
    for (const QAction *a : menu->actions())
        names << a->objectName();
    return names;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private:
    Tform_main *m_form = nullptr;
    std::unique_ptr<MainWindowRig> m_rig;
    Shell::ScriptedAnswers *m_answers = nullptr;  // no dialog ever blocks a test
    int m_plays = 0;
    int m_pauses = 0;

    // Stands in for the transport handlers: Play and Pause set the playing flag as they will.
    void SimulateTransport()
    {
        connect(m_form->pop_play, &QAction::triggered, m_form, [this] {
            ++m_plays;
            m_form->nowPlaying->SetPlaying(true);
        });
        connect(m_form->pop_pause, &QAction::triggered, m_form, [this] {
            ++m_pauses;
            m_form->nowPlaying->SetPlaying(false);
        });
    }

private Q_SLOTS:
    void init()
    {
        m_plays = m_pauses = 0;
        m_rig = std::make_unique<MainWindowRig>();
        m_form = m_rig->form;
        m_answers = &m_rig->answers;
        form_about = new Tform_about;
        SimulateTransport();
    }

    void cleanup()
    {
        delete form_about;
        form_about = nullptr;
        m_rig.reset();
    }

    void ownsAPlayerThatStarted()
    {
        QVERIFY(m_form->xaudio);
        QCOMPARE(m_form->xaudio->parent(), m_form);
        QVERIFY2(m_answers->requests().isEmpty(), qPrintable(m_answers->texts().join('|')));
    }

    void controlsAsDesigned()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("DAK-MP3"));
        QCOMPARE(m_form->size(), QSize(369, 245));
        QCOMPARE(m_form->findChild<QSlider *>("trackbar_song")->geometry(), QRect(0, 4, 317, 21));
        QCOMPARE(m_form->trackbar_song->maximum(), 30);
        QCOMPARE(m_form->findChild<QToolButton *>("speedbutton_nextsong")->geometry(), QRect(334, 4, 29, 29));
        QCOMPARE(m_form->label_currenttime->pos(), QPoint(4, 24));
        QCOMPARE(m_form->label_songdata->text(), QStringLiteral("Current audio data unknown."));
        QCOMPARE(m_form->speedbutton_pause->toolTip(), QStringLiteral("Pause [CTRL+A]"));
        QCOMPARE(m_form->label_treeviewdock->text(), QStringLiteral("Drag&Dock the Song Library here."));
        QVERIFY(m_form->findChild<QTreeWidget *>("treeview_songlibrary"));
        QVERIFY(m_form->findChild<QLabel *>("Image1"));
        QCOMPARE(m_form->panel_songlibrary->geometry(), QRect(0, 113, 369, 96));

        // A label set to a longer text grows with it while its panel is shown.
        m_form->show();
        const QString longTitle(120, QLatin1Char('x'));
        m_form->label_songtitle->setText(longTitle);
        QTRY_VERIFY(m_form->label_songtitle->width() >= m_form->label_songtitle->sizeHint().width());
    }

    void contextMenus()
    {
        // The panels and their controls open the main popup menu; the style button and the tree do not.
        for (QWidget *w : {static_cast<QWidget *>(m_form->panel_time), static_cast<QWidget *>(m_form->trackbar_song),
                           static_cast<QWidget *>(m_form->label_setname), static_cast<QWidget *>(m_form->Image1),
                           static_cast<QWidget *>(m_form->speedbutton_play)}) {
            QCOMPARE(w->contextMenuPolicy(), Qt::CustomContextMenu);
            Q_EMIT w->customContextMenuRequested(QPoint(1, 1));
            QVERIFY2(m_form->popupmenu1->isVisible(), qPrintable(w->objectName()));
            m_form->popupmenu1->hide();
        }
        QCOMPARE(m_form->button_toggledisplaystyle->contextMenuPolicy(), Qt::PreventContextMenu);
        Q_EMIT m_form->treeview_songlibrary->customContextMenuRequested(QPoint(1, 1));
        QVERIFY(!m_form->popupmenu1->isVisible());
    }

    void menuStructure()
    {
        const QStringList top = Names(m_form->popupmenu1);
        QCOMPARE(top.first(), QStringLiteral("pop_showwindow"));
        QCOMPARE(top.last(), QStringLiteral("pop_exit"));
        QCOMPARE(top.indexOf("pop_play") + 1, top.indexOf("pop_pause"));
        QVERIFY(top.indexOf("N6") < top.indexOf("pop_songlibrary"));
        QVERIFY(top.indexOf("pop_songlibrary") < top.indexOf("pop_previoussong"));
        QCOMPARE(m_form->popupmenu1->defaultAction(), m_form->pop_showwindow);

        // The library fills "Song Library" after its five fixed entries.
        const QStringList library = Names(m_form->pop_songlibrary);
        QCOMPARE(library, (QStringList{"pop_managelibrary", "N2", "pop_favorites", "pop_favoritesmedia", "N7"}));
        QVERIFY(m_form->N7->isSeparator());
        QCOMPARE(m_form->pop_favorites->actions().size(), 1);
        QCOMPARE(m_form->pop_songlibrary->menuAction()->text(), QStringLiteral("Song Library"));

        QCOMPARE(Names(m_form->pop_options).last(), QStringLiteral("pop_associate"));
        QCOMPARE(m_form->pop_associate->text(), QStringLiteral("Associate *.mp3 file extension with DAK-MP3"));
        QCOMPARE(Names(m_form->pop_audiodrivertreatment).last(), QStringLiteral("pop_audiodrivertreatment_activate"));

        // Every item has a handler named after it.
        for (const QAction *a : m_form->popupmenu1->findChildren<QAction *>()) {
            const QString name = a->objectName();
            if (!name.startsWith(QLatin1String("pop_")) || a->menu())
                continue;
            const QByteArray slot = QMetaObject::normalizedSignature(qPrintable(name + "Click()"));
            QVERIFY2(m_form->metaObject()->indexOfSlot(slot) >= 0, slot.constData());
        }
    }

    void shortcutsAndCheckMarks()
    {
        QCOMPARE(m_form->pop_exit->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
        QCOMPARE(m_form->pop_modifyaudiosettings->shortcut(), QKeySequence(QStringLiteral("Ctrl+M")));
        QCOMPARE(m_form->pop_playrandomset->shortcut(), QKeySequence(QStringLiteral("Ctrl+T")));
        QVERIFY(m_form->pop_rewind->shortcut().isEmpty());
        QVERIFY(m_form->pop_about->shortcut().isEmpty());

        QVERIFY(m_form->pop_autoplayonopen->isChecked());
        QVERIFY(!m_form->pop_autoplayonstart->isChecked());
        QVERIFY(m_form->pop_releaseon_eof->isChecked());
        QVERIFY(!m_form->pop_releaseon_pause->isChecked());
        QVERIFY(!m_form->pop_play->isCheckable());
    }

    void shortcutWorksInTheWindow()
    {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
        QSignalSpy stop(m_form->pop_stop, &QAction::triggered);
        QTest::keyClick(m_form, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(stop.count(), 1);
    }

    void checkItemsToggleAndRandomSetFollowsRandomSong()
    {
        QVERIFY(m_form->pop_randomset->isEnabled());
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_randomsong));
        QVERIFY(!m_form->pop_randomsong->isChecked());
        QVERIFY(!m_form->pop_randomset->isEnabled());
        // A disabled "Random Set" ignores its click and keeps its mark.
        QVERIFY(!Tform_main::ClickMenuItem(m_form->pop_randomset));
        QVERIFY(m_form->pop_randomset->isChecked());
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_randomsong));
        QVERIFY(m_form->pop_randomset->isEnabled());
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_randomset));
        QVERIFY(!m_form->pop_randomset->isChecked());
    }

    void disabledItemsIgnoreClicks()
    {
        QSignalSpy play(m_form->pop_play, &QAction::triggered);
        m_form->pop_play->setEnabled(false);
        QVERIFY(!Tform_main::ClickMenuItem(m_form->pop_play));
        m_form->pop_play->trigger();  // the toolkit ignores it as well
        QCOMPARE(play.count(), 0);

        m_form->pop_play->setEnabled(true);
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_play));
        QCOMPARE(play.count(), 1);
        QVERIFY(!Tform_main::ClickMenuItem(nullptr));
    }

    void trayClickTogglesOnlyWithASongOpen()
    {
        TrayClicks &clicks = m_form->TrayClickHandling();
        m_form->TrayIconActivated(QSystemTrayIcon::Trigger);
        clicks.FirePending();
        QCOMPARE(m_plays + m_pauses, 0);

        m_form->nowPlaying->SetSongOpened(true);
        clicks.ForgetLastClick();
        m_form->TrayIconActivated(QSystemTrayIcon::Trigger);
        clicks.FirePending();
        QCOMPARE(m_plays, 1);
        QVERIFY(m_form->nowPlaying->Playing());

        clicks.ForgetLastClick();
        m_form->TrayIconActivated(QSystemTrayIcon::Trigger);
        clicks.FirePending();
        QCOMPARE(m_pauses, 1);
        QVERIFY(!m_form->nowPlaying->Playing());

        // With "Play" disabled the click does nothing.
        m_form->pop_play->setEnabled(false);
        clicks.ForgetLastClick();
        m_form->TrayIconActivated(QSystemTrayIcon::Trigger);
        clicks.FirePending();
        QCOMPARE(m_plays, 1);
        QVERIFY(!m_form->isVisible());
    }

    void trayDoubleClickShowsAndKeepsPlayback_data()
    {
        QTest::addColumn<QList<int>>("events");  // activation reasons; -1 = the click interval ends
        QTest::addColumn<bool>("playing");
        const QList<int> clickThenDouble{QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick};
        const QList<int> twoClicks{QSystemTrayIcon::Trigger, QSystemTrayIcon::Trigger};
        const QList<int> slowHost{QSystemTrayIcon::Trigger, -1, QSystemTrayIcon::DoubleClick};
        for (bool playing : {true, false}) {
            const char *state = playing ? "playing" : "paused";
            QTest::addRow("click and double-click event, %s", state) << clickThenDouble << playing;
            QTest::addRow("two clicks, %s", state) << twoClicks << playing;
            QTest::addRow("late double-click event, %s", state) << slowHost << playing;
        }
    }

    void trayDoubleClickShowsAndKeepsPlayback()
    {
        QFETCH(QList<int>, events);
        QFETCH(bool, playing);
        m_form->nowPlaying->SetSongOpened(true);
        m_form->nowPlaying->SetPlaying(playing);
        for (int e : events) {
            if (e < 0)
                m_form->TrayClickHandling().FirePending();
            else
                m_form->TrayIconActivated(static_cast<QSystemTrayIcon::ActivationReason>(e));
        }
        m_form->TrayClickHandling().FirePending();
        QVERIFY(m_form->isVisible());
        QCOMPARE(m_form->nowPlaying->Playing(), playing);
        QCOMPARE(m_plays, m_pauses);
    }

    void trayContextOpensTheMenu()
    {
        m_form->TrayIconActivated(QSystemTrayIcon::Context);
        QVERIFY(m_form->popupmenu1->isVisible());
        m_form->popupmenu1->hide();
        QVERIFY(!m_form->isVisible());
    }

    void trayTipIsShortened()
    {
        QCOMPARE(Tform_main::TrayTipText(QStringLiteral("DAK-MP3")), QStringLiteral("DAK-MP3"));
        const QString exact(63, QLatin1Char('a'));
        QCOMPARE(Tform_main::TrayTipText(exact), exact);
        const QString tip = Tform_main::TrayTipText(QString(80, QLatin1Char('b')) + " - DAK-MP3 - Playing");
        QCOMPARE(tip.size(), 63);
        QVERIFY(tip.endsWith(QLatin1String("...")));
    }

    void showHideAndExit()
    {
        QVERIFY(!m_form->MainWindowShown());
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_showwindow));
        QVERIFY(m_form->isVisible());
        QVERIFY(m_form->MainWindowShown());
        m_form->button_hide->click();
        QVERIFY(!m_form->isVisible());
        QVERIFY(!m_form->MainWindowShown());

        m_form->show();
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_exit));
        QVERIFY(!m_form->isVisible());
        m_form->show();
        m_form->button_exit->click();
        QVERIFY(!m_form->isVisible());
    }

    // Without a tray the window stands in for the icon: shown, with a taskbar entry, the user told why once per
    // run. A tray that comes docks the icon and puts away a window that was up only for want of it, or that
    // "Hide Window" minimised meanwhile; a window the user shows stays.
    void withoutATrayTheWindowStandsIn()
    {
        auto *window = new QWidget;
        std::unique_ptr<QWidget> owner(window);
        bool trayThere = false;
        QList<bool> inUseWhenFlagsApplied;
        TrayPresence *tray = nullptr;
        tray = new TrayPresence(window, [&] { inUseWhenFlagsApplied << tray->InUse(); });
        tray->Show(m_form->Image1Icon());
        QVERIFY(tray->InUse());
        tray->WatchForTray([&] { return trayThere; }, 0, 5);

        QTRY_VERIFY(tray->Missing());
        QVERIFY(!tray->InUse());
        QCOMPARE(inUseWhenFlagsApplied, QList<bool>{false});
        QVERIFY(window->isVisible());
        QCOMPARE(m_answers->requests().size(), 1);
        QVERIFY(m_answers->texts().constFirst().contains(QLatin1String("no system tray")));

        trayThere = true;
        QTRY_VERIFY(!tray->Missing());
        QCOMPARE(inUseWhenFlagsApplied, (QList<bool>{false, true}));
        QVERIFY(tray->Icon()->isVisible());
        QVERIFY(!window->isVisible());

        // The user brings the window up while the tray is away again: it stays when the tray returns.
        trayThere = false;
        QTRY_VERIFY(tray->Missing());
        window->hide();
        tray->ForgetShownForMissingTray();
        window->show();
        trayThere = true;
        QTRY_VERIFY(!tray->Missing());
        QVERIFY(window->isVisible());

        // Minimised for want of a tray: hidden once the tray is back. The user was told only the first time.
        trayThere = false;
        QTRY_VERIFY(tray->Missing());
        tray->ForgetShownForMissingTray();
        window->showMinimized();
        trayThere = true;
        QTRY_VERIFY(!tray->Missing());
        QVERIFY(!window->isVisible());
        QCOMPARE(m_answers->requests().size(), 1);

        // Removing the icon gives the window its taskbar entry back; a second removal changes nothing.
        tray->Remove();
        QVERIFY(!tray->Exists());
        QVERIFY(!tray->InUse());
        QCOMPARE(inUseWhenFlagsApplied.size(), 7);
        QCOMPARE(inUseWhenFlagsApplied.constLast(), false);
        tray->Remove();
        QCOMPARE(inUseWhenFlagsApplied.size(), 7);
    }

    void aboutWindow()
    {
        m_form->show();
        QTest::mouseClick(m_form->Image1, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(form_about->isVisible());
        QVERIFY(!form_about->isModal());
        QCOMPARE(form_about->windowTitle(), QStringLiteral("About DAK-MP3..."));
        QCOMPARE(form_about->button_ok->text(), QStringLiteral("&OK"));
        form_about->button_ok->click();
        QVERIFY(!form_about->isVisible());

        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_about));
        QVERIFY(form_about->isVisible());
        QVERIFY(m_form->isVisible());  // the main window stays usable
    }

    void displayStylesOnTheWindow()
    {
        m_form->show();
        const int heights[] = {149, 77, 36, 245};
        for (int i = 0; i < 4; ++i) {
            m_form->button_toggledisplaystyle->click();
            QCOMPARE(m_form->DisplayStyle(), (i + 1) % 4);
            QCOMPARE(m_form->height(), heights[i]);
            QCOMPARE(m_form->panel_controls->geometry(), QRect(0, heights[i] - 36, 369, 36));
        }
        QVERIFY(m_form->panel_songlibrary->isVisible());
        QCOMPARE(m_form->panel_songinfo->geometry(), QRect(0, 41, 369, 72));

        // Style 3 shows the button bar alone and keeps its height when dragged.
        for (int i = 0; i < 3; ++i)
            m_form->button_toggledisplaystyle->click();
        QVERIFY(!m_form->panel_time->isVisible());
        QVERIFY(!m_form->panel_songlibrary->isVisible());
        m_form->resize(450, 200);
        QCOMPARE(m_form->size(), QSize(450, 36));
        QCOMPARE(m_form->panel_controls->width(), 450);
        QCOMPARE(m_form->RecordedWidth(), 450);
        QCOMPARE(m_form->RecordedHeight(), 36);
    }

    void styleZeroResizesTheLibrary()
    {
        m_form->show();
        m_form->resize(369, 300);
        QCOMPARE(m_form->panel_songlibrary->geometry(), QRect(0, 113, 369, 151));
        QCOMPARE(m_form->panel_controls->y(), 264);
        QCOMPARE(m_form->RecordedHeight(), 300);
    }

    void restoreStoredStyle()
    {
        m_form->RestoreDisplayStyle(2);
        QCOMPARE(m_form->DisplayStyle(), 2);
        QCOMPARE(m_form->height(), 77);
        m_form->RestoreDisplayStyle(7);
        QCOMPARE(m_form->DisplayStyle(), 0);
        QCOMPARE(m_form->height(), 245);
    }

    void floatAndDockBack()
    {
        m_form->show();
        m_form->button_toggledisplaystyle->click();
        m_form->button_toggledisplaystyle->click();  // style 2
        const QRect away(m_form->geometry().bottomRight() + QPoint(50, 50), QSize(369, 41));
        m_form->FloatPanel(m_form->panel_time, away);
        QWidget *floating = m_form->Docking().FloatingWindow(m_form->panel_time);
        QVERIFY(floating);
        QVERIFY(floating->isVisible());
        QCOMPARE(m_form->panel_time->window(), floating);
        QCOMPARE(m_form->height(), 36);  // only the button bar is left in style 2

        m_form->DockPanel(m_form->panel_time);
        QCOMPARE(m_form->panel_time->window(), m_form);
        QCOMPARE(m_form->DisplayStyle(), 0);
        QCOMPARE(m_form->panel_time->geometry(), QRect(0, 0, 369, 41));
        QCOMPARE(m_form->panel_songinfo->geometry(), QRect(0, 41, 369, 72));
        QCOMPARE(m_form->panel_songlibrary->geometry(), QRect(0, 113, 369, 96));
        QCOMPARE(m_form->panel_controls->geometry(), QRect(0, 209, 369, 36));
        QVERIFY(!m_form->Docking().FloatingWindow(m_form->panel_time));
    }

    void closingAFloatingPanelDocksIt()
    {
        m_form->show();
        m_form->FloatPanel(m_form->panel_controls, QRect(QPoint(0, 0), QSize(369, 36)));
        QWidget *floating = m_form->Docking().FloatingWindow(m_form->panel_controls);
        QVERIFY(floating);
        floating->close();
        QTRY_COMPARE(m_form->panel_controls->window(), m_form);
        QVERIFY(m_form->panel_controls->isVisible());
        QCOMPARE(m_form->height(), 245);
    }

    void dragPanelOffAndBackWithTheMouse()
    {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        QLabel *handle = m_form->label_treeviewdock;
        const QPoint start(100, 5);
        const QPoint outside = handle->mapFromGlobal(m_form->frameGeometry().bottomRight() + QPoint(60, 60));
        QTest::mousePress(handle, Qt::LeftButton, {}, start);
        QTest::mouseMove(handle, start + QPoint(30, 30));
        QTest::mouseMove(handle, outside);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, outside);
        QTRY_VERIFY(m_form->Docking().IsFloating(m_form->panel_songlibrary));
        QCOMPARE(m_form->height(), 41 + 72 + 36);

        // Dragged back by the same strip and dropped on the main window.
        QWidget *floating = m_form->Docking().FloatingWindow(m_form->panel_songlibrary);
        QVERIFY(QTest::qWaitForWindowExposed(floating));
        const QPoint onMain = handle->mapFromGlobal(m_form->mapToGlobal(QPoint(100, 60)));
        QTest::mousePress(handle, Qt::LeftButton, {}, start);
        QTest::mouseMove(handle, start + QPoint(-30, -30));
        QTest::mouseMove(handle, onMain);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, onMain);
        QTRY_VERIFY(!m_form->Docking().IsFloating(m_form->panel_songlibrary));
        QCOMPARE(m_form->DisplayStyle(), 0);
        QCOMPARE(m_form->height(), 245);
    }

    void aClickOnAPanelStartsNoDrag()
    {
        m_form->show();
        QTest::mousePress(m_form->panel_songinfo, Qt::LeftButton, {}, QPoint(300, 60));
        QTest::mouseRelease(m_form->panel_songinfo, Qt::LeftButton, {}, QPoint(301, 60));
        QCoreApplication::processEvents();
        QVERIFY(!m_form->Docking().IsFloating(m_form->panel_songinfo));
        QCOMPARE(m_form->panel_songinfo->window(), m_form);
    }

    void alwaysOnTop()
    {
        QVERIFY(!m_form->AlwaysOnTop());
        QVERIFY(!(m_form->windowFlags() & Qt::WindowStaysOnTopHint));
        m_form->show();
        m_form->button_alwaysontop->click();
        QVERIFY(m_form->AlwaysOnTop());
        QVERIFY(m_form->button_alwaysontop->isChecked());
        QVERIFY(m_form->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(m_form->isVisible());
        m_form->button_alwaysontop->click();
        QVERIFY(!m_form->button_alwaysontop->isChecked());
        QVERIFY(!(m_form->windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(m_form->isVisible());
    }

    void seekBarReportsOnlyUserMoves()
    {
        QSlider bar(Qt::Horizontal);
        SliderUserMoves moves(&bar);
        QSignalSpy moved(&moves, &SliderUserMoves::Moved);
        bar.setRange(0, 40000);
        bar.setValue(1000);  // a position reported by the player
        QCOMPARE(moved.count(), 0);

        QTest::keyClick(&bar, Qt::Key_Right);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(bar.value(), 1001);  // the handler sees the new value
        QTest::keyClick(&bar, Qt::Key_PageDown);
        QCOMPARE(moved.count(), 2);

        // A key that cannot move the thumb further leaves nothing behind for the next change by code.
        bar.setValue(40000);
        QTest::keyClick(&bar, Qt::Key_End);
        bar.setValue(5);
        QCOMPARE(moved.count(), 2);

        // Dragging the thumb reports every step.
        bar.setSliderDown(true);
        bar.setSliderPosition(200);
        bar.setSliderPosition(300);
        bar.setSliderDown(false);
        QCOMPARE(moved.count(), 4);
        QCOMPARE(bar.value(), 300);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
