// Writing the configuration: "Save the above options", and everything the main window keeps when it closes.

#include "app/ui/form_main.h"
#include "config/settings_file.h"
#include "platform/shell/shell.h"

namespace {
QString FailureText(const QString &path, const ProfileStatus &status)
{
    return QStringLiteral("Couldn't save file: ") + path + QLatin1Char('\r') + status.error;
}
}  // namespace

void Tform_main::pop_saveoptionsClick()
{
    if (ConfigFilePath.isEmpty())
        ConfigFilePath = configurationFilePath();
    const ProfileStatus status = writeOptionsSettings(ConfigFilePath, settings);
    if (!status.ok())
        Shell::errorBox(FailureText(ConfigFilePath, status));
}

QString Tform_main::SaveAtClose()
{
    if (ConfigFilePath.isEmpty())
        ConfigFilePath = configurationFilePath();
    ProfileStatus status = writeOptionsSettings(ConfigFilePath, settings);

    settings.Screen.top = y();
    settings.Screen.left = x();
    settings.Screen.width = RecordedWidth();
    settings.Screen.height = RecordedHeight();
    settings.Screen.show = MainWindowShown();
    settings.Screen.DisplayStyle = DisplayStyle();
    if (status.ok())
        status = writeCloseSettings(ConfigFilePath, settings);

    QString failure = status.ok() ? QString() : FailureText(ConfigFilePath, status);
    if (failure.isEmpty() && settings.Audio.EnableEqualizer)
        failure = SaveDefaultEqualizer();
    return failure;
}

bool Tform_main::FormClose()
{
    const QString failure = SaveAtClose();
    if (failure.isEmpty())
        return true;
    // A program that cannot save must still be able to end: the user decides.
    return Shell::confirm(failure + QStringLiteral("\rExit anyway?"));
}
