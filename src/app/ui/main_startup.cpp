// The main window's start-up: the start timer that runs once the event loop runs, the configuration load
// that can run again at any time, the command line, and the keyboard hook's window.

#include "app/ui/form_main.h"
#include "app/ui/session_end.h"
#include "audio/ui/form_modifyaudiosettings.h"
#include "config/settings_file.h"
#include "library/ui/form_manage.h"
#include "platform/keyhook/keyhook.h"
#include "config/texts.h"
#include "platform/shell/shell.h"
#include "playback/XaudioPlayer.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>

namespace {
using texts::kSetUnknown;
using texts::kTitleUnknown;

// What the keyboard hook delivers to: the main window's hotkey table and hook message handler.
class MainHookWindow : public keyhook::HookWindow {
public:
    explicit MainHookWindow(Tform_main *window) : window_(window) { }
    std::vector<uint16_t> systemWideShortcuts() override
    {
        return shortcuts::SystemWideShortcuts(window_->HotkeyTable);
    }
    int hookMessage(uint16_t wParam, int32_t lParam) override { return window_->HookMessage(wParam, lParam); }
    // The X server is gone: end as a session end does.
    void displayLost() override { session_end::SaveAndQuit(); }

private:
    Tform_main *window_;
};

// Sets a check item's mark without running its handler.
void SetCheckedQuietly(QAction *item, bool checked)
{
    const QSignalBlocker block(item);
    item->setChecked(checked);
}
}  // namespace

void Tform_main::timer_startTimer()
{
    timer_start->stop();
    bool commandLineFile = false;
    hide();

    if (!m_hookWindow)
        m_hookWindow = std::make_unique<MainHookWindow>(this);
    keyhook::SetHookWindow(m_hookWindow.get());
    if (keyhook::EnableHook() == 0)
        Shell::errorBox(QStringLiteral("Couldn't enable hook!"));

    DoAllInitStuff();

    commandLineFile = HandleCommandLine(CommandLine);

    // The stored geometry: top, left, width, height (the client size the resize rule recorded).
    move(settings.Screen.left, settings.Screen.top);
    if (settings.Screen.width > 0 && settings.Screen.height > 0)
        resize(settings.Screen.width, settings.Screen.height);
    if (settings.Screen.show)
        show();
    RestoreDisplayStyle(settings.Screen.DisplayStyle);

    const QString &set = settings.LastOpened.LastOpenedLibrarySetName;
    const QString &title = settings.LastOpened.LastOpenedLibrarySongTitle;
    if (settings.Options.autoplayonstart && !set.isEmpty() && set != kSetUnknown && !title.isEmpty() &&
        title != kTitleUnknown && !commandLineFile) {
        if (settings.Options.randomsong) {
            ClickMenuItem(settings.Options.randomset ? pop_playrandomset : pop_playrandomsong);
        } else {
            // The library resolves a set and a title through a menu entry: a temporary one, set over song.
            QMenu setEntry(set);
            QAction *song = setEntry.addAction(title);
            LibraryMenuOnClick(song);
        }
    }
}

bool Tform_main::HandleCommandLine(const QStringList &arguments)
{
    bool openedFile = false;
    for (const QString &argument : arguments) {
        // Switches are compared whole and with case; anything else is a file or URL.
        if (argument == QLatin1String("-m") || argument == QLatin1String("--manage")) {
            if (form_manage)
                form_manage->show();
        } else if (argument == QLatin1String("-s") || argument == QLatin1String("--show")) {
            show();
        } else if (argument == QLatin1String("-a") || argument == QLatin1String("--audio")) {
            if (form_modifyaudiosettings)
                form_modifyaudiosettings->show();
        } else {
            openedFile = true;
            OpenMP3(argument, kSetUnknown, kTitleUnknown);
        }
    }
    return openedFile;
}

void Tform_main::DoAllInitStuff()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);

    ConfigFilePath = configurationFilePath();
    const SettingsDefaults defaults{defaultLibraryFolder(), RecordedWidth(), RecordedHeight()};
    const ProfileStatus status = loadSettings(ConfigFilePath, defaults, settings);
    if (!status.ok())
        Shell::errorBox(QStringLiteral("Couldn't open file: ") + ConfigFilePath);
    ApplyHotkeySettings();

    xaudio->SetInputPositionRange(settings.Options.INPUT_POSITION_RANGE);
    ApplyOptionCheckMarks();
    pop_randomset->setEnabled(settings.Options.randomsong);
    CreateLibraryMenu();

    SetCheckedQuietly(pop_releaseon_stop, settings.Audio.ReleaseOnStop);
    SetCheckedQuietly(pop_releaseon_pause, settings.Audio.ReleaseOnPause);
    SetCheckedQuietly(pop_releaseon_eof, settings.Audio.ReleaseOnEOF);
    ClickMenuItem(pop_audiodrivertreatment_activate);

    ApplyEqualizerSettings();

    QGuiApplication::restoreOverrideCursor();
}

void Tform_main::ApplyOptionCheckMarks()
{
    SetCheckedQuietly(pop_autoplayonstart, settings.Options.autoplayonstart);
    SetCheckedQuietly(pop_autoplayonopen, settings.Options.autoplayonopen);
    SetCheckedQuietly(pop_randomset, settings.Options.randomset);
    SetCheckedQuietly(pop_randomsong, settings.Options.randomsong);
    SetCheckedQuietly(pop_openfolderrecursive, settings.Options.openfolderrecursive);
}
