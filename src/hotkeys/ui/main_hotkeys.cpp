// The main window's hotkeys: the stored shortcut texts become the shortcuts of the 21 action items and the
// table the keyboard hook's messages are matched against; a hook message clicks the matching item.

#include "app/ui/form_main.h"
#include "hotkeys/shortcuts/hotkey_actions.h"
#include "hotkeys/shortcuts/shortcut_texts.h"
#include "platform/keyhook/keyhook.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>

namespace {
// The menu item of an action, found by its object name among the main popup menu's actions.
QAction *ActionItem(QMenu *menu, const char *name) { return menu->findChild<QAction *>(QLatin1String(name)); }
}  // namespace

void Tform_main::ApplyHotkeySettings()
{
    for (int i = 0; i < kHotkeyActionCount; ++i) {
        const auto &action = shortcuts::kHotkeyActions[static_cast<size_t>(i)];
        const uint16_t value = shortcuts::EnglishTextToShortcut(settings.Hotkeys.Hotkeys[static_cast<size_t>(i)]);
        HotkeyTable[static_cast<size_t>(i)] = {value, settings.Hotkeys.SystemWide[static_cast<size_t>(i)],
                                               settings.Hotkeys.PassToNextProgram[static_cast<size_t>(i)]};
        QAction *item = ActionItem(popupmenu1, action.menuItem);
        if (!item && std::string_view(action.menuItem) == "pop_showwindow")
            item = pop_showwindow;
        if (item)
            item->setShortcut(value ? QKeySequence(shortcuts::ShortcutToKeyCombination(value)) : QKeySequence());
    }
    keyhook::ReloadGrabs();
}

int Tform_main::HookMessage(uint32_t wParam, int32_t lParam)
{
    // In the foreground the key reaches the window as an ordinary shortcut; the hook only serves the others.
    // In front means: the main window had the input focus when the key went down. Qt's own idea would
    // depend on when the message is answered, since the hook's grab takes the focus for that moment and Qt
    // counts the window inactive once that has lasted a while.
    const unsigned long focus = keyhook::FocusAtKey();
    const bool foreground = focus != 0 ? focus == internalWinId() : QApplication::activeWindow() == this;
    const shortcuts::HookDecision d =
        shortcuts::DecideHookMessage(HotkeyTable, foreground, LastHookShortcut, wParam, lParam);
    LastHookShortcut = d.lastHookShortcut;
    if (d.action >= 0) {
        const auto &action = shortcuts::kHotkeyActions[static_cast<size_t>(d.action)];
        ClickMenuItem(ActionItem(popupmenu1, action.menuItem));
    }
    return d.answer;
}
