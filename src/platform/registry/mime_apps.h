#pragma once
// The user's choice of default applications per MIME type: the group "[Default Applications]" of
// mimeapps.list, whose values are lists of desktop file names separated by ";", the first installed one
// winning.

#include <QByteArray>
#include <QString>

namespace registry {

// `current` (the file's text, empty when there is none) with `desktopFile` put first in the default
// applications of `mimeType`: the other names of that list follow in their order, the group is added when
// it is missing, and every other line stays as it was. MIME types compare without regard to letter case.
QByteArray WithDefaultApplication(const QByteArray &current, const QString &mimeType, const QString &desktopFile);

}  // namespace registry
