#pragma once
// Where a user's desktop files live: the base folders of the XDG base directory rules.

#include <QString>

namespace registry {

struct XdgLocations {
    QString dataHome;    // applications/ and icons/ lie below it
    QString configHome;  // mimeapps.list lies in it
};

// XDG_DATA_HOME and XDG_CONFIG_HOME when they hold absolute paths, else ~/.local/share and ~/.config (a
// relative or empty value is ignored, as the rules ask).
XdgLocations CurrentXdgLocations();

}  // namespace registry
