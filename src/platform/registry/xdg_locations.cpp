#include "platform/registry/xdg_locations.h"

#include <QDir>

namespace registry {

namespace {

QString BaseFolder(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(QDir::homePath() + QLatin1Char('/') + fallback);
}

}  // namespace

XdgLocations CurrentXdgLocations()
{
    return {BaseFolder("XDG_DATA_HOME", QStringLiteral(".local/share")),
            BaseFolder("XDG_CONFIG_HOME", QStringLiteral(".config"))};
}

}  // namespace registry
