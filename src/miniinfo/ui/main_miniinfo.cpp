// The main window's part of the mini-info: popping the popup up, keeping its time line, and the two menu
// commands.

#include "app/ui/form_main.h"
#include "miniinfo/ui/form_ConfigureMiniInfo.h"
#include "miniinfo/ui/form_currenttitle.h"
#include "miniinfo/miniinfo_rules.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

void Tform_main::ShowMiniInfo(bool forced)
{
    if (!form_currenttitle || !miniinfo::MiniInfoWanted(settings.MiniInfo, forced, isVisible()))
        return;
    if (settings.MiniInfo.DesktopNotifications && ShowDesktopNotification &&
        ShowDesktopNotification(settings.MiniInfo.MiniInfoTime))
        return;
    // The desktop's work area: the primary screen without the panels that reserve room on it.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect();
    form_currenttitle->PopUp(label_setname->text(), label_songtitle->text(), settings.MiniInfo.MiniInfoTime, workArea);
}

void Tform_main::OfferMiniInfo() { ShowMiniInfo(false); }

void Tform_main::ShowMiniInfoTimeLine(const QString &timeLine)
{
    if (form_currenttitle)
        form_currenttitle->label_CurrentTimeAndDuration->setText(timeLine);
}

void Tform_main::pop_ShowMiniInfoClick() { ShowMiniInfo(true); }

void Tform_main::pop_ConfigureMiniInfoClick()
{
    if (form_ConfigureMiniInfo)
        form_ConfigureMiniInfo->ShowConfiguration();
}
