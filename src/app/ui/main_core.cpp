// The main window's creation and end, its tray icon, showing and hiding, and closing.

#include "app/ui/form_about.h"
#include "app/ui/form_main.h"
#include "app/ui/panel_docking.h"
#include "app/ui/program_icon.h"
#include "app/ui/tray_clicks.h"
#include "app/ui/window_placement.h"
#include "platform/desktop/taskbar_entry.h"
#include "platform/keyhook/keyhook.h"
#include "platform/shell/shell.h"
#include "playback/now_playing.h"
#include "playback/XaudioPlayer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

Tform_main *form_main = nullptr;

namespace {
using texts::kProgramName;
}

Tform_main::Tform_main(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("form_main"));
    setWindowTitle(kProgramName);
    setWindowIcon(ProgramIcon());
    m_image1Icon = ProgramIcon();
    // The tray icon goes up before the rest of the window is built, so that the tray host docks it while
    // the panels, menus and the other windows are still being made; FormCreate completes it.
    m_tray = new TrayPresence(this, [this] { ApplyWindowFlags(); });
    m_tray->Show(m_image1Icon);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    m_tray->Clicks().SetActions([this] { TrayPlayPauseToggle(); }, [this] { pop_showwindowClick(); });

    // The player component comes with the window and goes with it (a child object).
    xaudio = new TXaudioPlayer(this);
    for (const QString &error : xaudio->StartErrors())
        Shell::errorBox(error);
    nowPlaying = new NowPlaying(xaudio, this);
    // The decoder runs at the highest priority the system grants ("Highest"); the audio settings window
    // shows what it actually got.
    xaudio->SetPriority(4);
    BindPlaybackEvents();

    CreatePopupMenu();
    CreatePanels();
    ConnectMenuItems();
    ApplyWindowFlags();

    // The designed client size, centred on the screen; start-up may then apply a stored geometry.
    resize(WindowLayout::kDesignedClientWidth, WindowLayout::kDesignedClientHeight);
    CenterOnScreen(this);
    FormResize();

    FormCreate();
}

Tform_main::~Tform_main()
{
    FormDestroy();
    // Floating panels live in windows of their own; they go now, while this window is still whole.
    delete m_docking;
    m_docking = nullptr;
}

void Tform_main::FormCreate()
{
    // The program lives in the tray: only closing this window ends it, not closing the last visible one.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    TaskBarAddIcon();
    // The real start-up runs from the event loop, once every window exists (the program entry starts it).
    timer_start = new QTimer(this);
    timer_start->setObjectName(QStringLiteral("timer_start"));
    timer_start->setSingleShot(true);
    timer_start->setInterval(100);
    connect(timer_start, &QTimer::timeout, this, &Tform_main::timer_startTimer);

    // Watch for the tray on a real desktop only; the offscreen platform of the tests has nothing to show.
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        m_tray->WatchForTray([] { return QSystemTrayIcon::isSystemTrayAvailable(); });
}

void Tform_main::FormDestroy()
{
    TaskBarRemoveIcon();
    if (xaudio) {
        xaudio->OutputReset();
        xaudio->Exit();
    }
    if (keyhook::DisableHook() != 0)
        Shell::errorBox(QStringLiteral("Couldn't disable hook!"));
    keyhook::SetHookWindow(nullptr);
}

bool Tform_main::ClickMenuItem(QAction *item)
{
    if (!item || !item->isEnabled())
        return false;
    item->trigger();
    return true;
}

// ---- Tray icon -------------------------------------------------------------------------------------

void Tform_main::TaskBarAddIcon() { m_tray->Complete(m_image1Icon, popupmenu1); }

void Tform_main::TaskBarRemoveIcon() { m_tray->Remove(); }

void Tform_main::TaskBarModifyIcon(const QString &tip) { m_tray->Modify(m_image1Icon, tip); }

void Tform_main::TrayIconActivated(QSystemTrayIcon::ActivationReason reason) { m_tray->Activated(reason); }

void Tform_main::TrayPlayPauseToggle()
{
    if (!nowPlaying->SongOpened())
        return;
    ClickMenuItem(nowPlaying->Playing() ? pop_pause : pop_play);
}

void Tform_main::SetImage1Icon(const QIcon &icon)
{
    m_image1Icon = icon;
    Image1->setPixmap(icon.pixmap(16, 16));
}

// ---- Showing, hiding, closing ------------------------------------------------------------------------

void Tform_main::pop_showwindowClick()
{
    m_tray->ForgetShownForMissingTray();
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void Tform_main::button_hideClick()
{
    m_tray->ForgetShownForMissingTray();
    if (m_tray->Missing()) {
        // Without a tray a hidden window could not be reached again: it goes to the taskbar instead.
        showMinimized();
        m_shown = false;
        return;
    }
    hide();
}

void Tform_main::pop_aboutClick()
{
    if (form_about)
        form_about->ShowAbout();
}

void Tform_main::Image1Click() { pop_aboutClick(); }

void Tform_main::pop_exitClick() { close(); }

void Tform_main::button_exitClick() { close(); }

void Tform_main::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        SetSkipTaskbar(this, m_tray->InUse());  // before the window is mapped
    m_shown = true;
}

void Tform_main::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A spontaneous hide is the window being minimised: it still counts as shown.
    if (!event->spontaneous())
        m_shown = false;
}

void Tform_main::closeEvent(QCloseEvent *event)
{
    if (!FormClose()) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

bool Tform_main::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1) {
        // A left click on the picture: press and release on it. Taking the press also keeps it from
        // starting a drag of the button bar.
        if (event->type() == QEvent::MouseButtonPress)
            return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *me = static_cast<QMouseEvent *>(event);
            if (me->button() == Qt::LeftButton && Image1->rect().contains(me->position().toPoint())) {
                Image1Click();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
