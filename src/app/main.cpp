// Program entry: the application object, the ten windows, and the event loop. The main window's start timer
// does the real start-up once the loop runs.

#include "app/window/AppWindows.h"
#include "app/mpris/Mpris.h"
#include "app/notify/DesktopNotifications.h"
#include "app/window/form_main.h"
#include "app/session_end.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("DAK-MP3"));

    CreateAppWindows();
    form_main->CommandLine = QCoreApplication::arguments().mid(1);
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
