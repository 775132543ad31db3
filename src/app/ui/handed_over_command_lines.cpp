#include "app/ui/handed_over_command_lines.h"

#include "app/instance/single_instance.h"
#include "app/ui/form_main.h"

#include <QTimer>

#include <memory>
#include <utility>

namespace {

void RunCommandLine(const QStringList &arguments)
{
    if (!form_main)
        return;
    form_main->HandleCommandLine(arguments);
    if (arguments.isEmpty() || arguments.contains(QLatin1String("-s")) || arguments.contains(QLatin1String("--show")))
        form_main->pop_showwindowClick();  // in front, not only shown
}

}  // namespace

void AcceptHandedOverCommandLines(instance::SingleInstance &instance)
{
    struct Waiting {
        bool startedUp = false;  // the start-up handler has returned
        QList<QStringList> lines;
    };
    auto waiting = std::make_shared<Waiting>();
    QObject::connect(&instance, &instance::SingleInstance::CommandLineReceived, form_main,
                     [waiting](const QStringList &arguments) {
                         if (waiting->startedUp)
                             RunCommandLine(arguments);
                         else
                             waiting->lines.append(arguments);
                     });
    // Connected after the window's own start-up handler, so it runs when that handler has returned (also
    // when the handler waited in a message box meanwhile).
    QObject::connect(form_main->timer_start, &QTimer::timeout, form_main, [waiting] {
        waiting->startedUp = true;
        const QList<QStringList> lines = std::exchange(waiting->lines, {});
        for (const QStringList &arguments : lines)
            RunCommandLine(arguments);
    });
}
