#pragma once
// The keys of a shell file class under HKEY_CLASSES_ROOT, kept on a freedesktop desktop instead of a
// registry. A class such as "mp3File" becomes the desktop entry <data>/applications/<id>.desktop and the
// default application of its MIME type in <config>/mimeapps.list (<data> and <config>: XDG_DATA_HOME and
// XDG_CONFIG_HOME, see xdg_locations.h).
//
// Every key written is kept as it was written in the entry's group "[X-Shell Class <class>]" (key paths
// below the class with "-" between their parts: "shell-open-command"), and the freedesktop keys are made
// from those values on each write:
//
//   <class>\DefaultIcon = "<program>,0"  the program's first icon: the picture the binding carries is written
//                                        to <data>/icons/hicolor/48x48/apps/<id>.png, and Icon names that
//                                        file by its absolute path (found without an icon theme index)
//   <class>\EditFlags                    no counterpart; kept in the class group only
//   <class>\shell = "<verb>"             the default verb (without it: "open")
//   <class>\shell\<verb> = "&Caption"    the caption of a verb; a verb other than the default one is a
//                                        desktop action named by its caption without the "&"
//   <class>\shell\<verb>\command         the default verb's command is the entry's Exec, another verb's the
//                                        Exec of its action; %1 and %L become %f (see desktop_entry.h)
//
// Once the entry has an Exec, the class is made the first default application of its MIME type.
//
// Each write reads the entry, changes the one value and writes the files it affects whole and atomically,
// so a failure leaves every file as it was before that write. Only the user-interface thread uses this;
// there is no lock against another process writing mimeapps.list at the same moment.

#include "platform/registry/desktop_entry.h"
#include "platform/registry/xdg_locations.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace registry {

struct ShellClassBinding {
    QString className;   // "mp3File"; compared without regard to letter case, as the registry does
    QString desktopId;   // "dak-mp3": the entry dak-mp3.desktop and the icon dak-mp3.png
    QString name;        // the entry's Name
    QString mimeType;    // "audio/mpeg"
    QByteArray iconPng;  // the program's first icon as a PNG picture; empty: Icon is left out
};

class ClassesRoot {
public:
    explicit ClassesRoot(ShellClassBinding binding, XdgLocations locations = CurrentXdgLocations());

    // Opens `key` ("mp3File\shell\open\command": the class, then parts of letters and digits), creating it
    // when missing, writes `value` as its default value, and closes it. Returns an empty text when done,
    // else a message that names the key or the file that failed.
    QString WriteDefaultValue(const QString &key, const QString &value);

    // The default value of `key` as written before, empty when it was not.
    QString DefaultValue(const QString &key) const;

    QString DesktopFilePath() const;
    QString IconFilePath() const;
    QString MimeAppsPath() const;

private:
    ShellClassBinding binding_;
    XdgLocations locations_;
};

// The text of the desktop entry for a class whose keys below the class hold `keys` (paths with "\" between
// their parts, in the order they were first written). `iconFile`: the absolute path Icon names, or empty.
QByteArray DesktopFileText(const ShellClassBinding &binding, const QList<KeyValue> &keys, const QString &iconFile);

// The Exec of the class's default verb in the entry made from `keys`, empty while there is none.
QString MainExec(const QList<KeyValue> &keys);

// A verb's caption as a menu shows it: "&Play" -> "Play", "&&" -> "&".
QString WithoutMnemonic(const QString &caption);

}  // namespace registry
