#pragma once
// Reads an icon file (.ico and the other picture formats Qt reads) with every picture it holds.

#include <QIcon>
#include <QString>

namespace playback {

// The icon in `path`, or a null icon when the file is missing or holds no picture that can be read.
QIcon LoadIconFile(const QString &path);

}  // namespace playback
