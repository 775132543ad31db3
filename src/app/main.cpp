// Program entry: the application object, the ten windows, and the event loop. The main window's start timer
// does the real start-up once the loop runs. A start while the program already runs for this user and
// display hands its command line over and ends.

#include "app/instance/single_instance.h"
#include "app/mpris/mpris.h"
#include "app/notify/desktop_notifications.h"
#include "app/ui/session_end.h"
#include "app/ui/app_windows.h"
#include "app/ui/handed_over_command_lines.h"
#include "app/ui/form_main.h"
#include "config/settings_file.h"
#include "config/texts.h"
#include "platform/shell/shell.h"
#include "platform/shell/ui/shell_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(texts::kProgramName);
    Shell::useQtDialogs();

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    instance::SingleInstance single(instance::SocketPath());
    switch (single.Claim(instance::ArgumentsForHandOver(arguments, QDir::currentPath()))) {
    case instance::SingleInstance::Outcome::Primary:
        break;
    case instance::SingleInstance::Outcome::HandedOver:
        return 0;
    case instance::SingleInstance::Outcome::Failed:
        Shell::errorBox(single.ErrorText());
        return 1;
    }
    if (!single.LockConfiguration(configurationFilePath())) {
        Shell::errorBox(QStringLiteral("DAK-MP3 is already running with the configuration ") + configurationFilePath());
        return 1;
    }

    CreateAppWindows();
    form_main->CommandLine = arguments;
    AcceptHandedOverCommandLines(single);
    form_main->timer_start->start();
    session_end::Install([] {
        // Ended before the start-up read the configuration: saving now would write defaults over it.
        if (form_main->ConfigFilePath.isEmpty())
            return;
        const QString failure = form_main->SaveAtClose();
        if (!failure.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(QString(failure).replace(QLatin1Char('\r'), QLatin1Char(' '))));
    });
    // Media controls on the session bus; without one the program runs without them.
    auto mpris = std::make_unique<Mpris>(*form_main);
    mpris->Start();
    auto notifications = std::make_unique<DesktopNotifications>(form_main->nowPlaying);
    form_main->ShowDesktopNotification = [&notifications](int milliseconds) {
        return notifications->Show(milliseconds);
    };

    const int result = QApplication::exec();
    session_end::Disarm();
    form_main->ShowDesktopNotification = nullptr;
    notifications.reset();
    mpris.reset();
    DestroyAppWindows();
    return result;
}
