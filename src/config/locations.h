#pragma once
// Where the program's files live. One rule for every caller:
// - Portable use: while the executable's folder is writable, or already holds the configuration file
//   "devud3.dat", the configuration, the default equalizer file and the default library folder are that
//   folder, as they always were. A writable folder of an installed tree (the run-time files in
//   ../share/dak-mp3, none beside the executable) does not count.
// - Installed use (the folder is read-only, for example /usr/bin, or part of an installed tree): the
//   configuration and the default equalizer file live in $XDG_CONFIG_HOME/dak-mp3/, the default library
//   folder is $XDG_DATA_HOME/dak-mp3/ (~/.config and ~/.local/share when the variables are unset). Both
//   folders are created when first asked for.
// - Run-time files (tree bitmaps, state icons, demo song) are read beside the executable when they are there,
//   else from ../share/dak-mp3/ next to the executable's folder (an installed tree).
// The choice between portable and installed use is made once per run. Every folder ends in '/'.

#include <QString>

// The executable's folder.
QString programFolder();
// True when the configuration stays beside the executable.
bool portableUse();
// The folder of "devud3.dat" and "devud3.eqs".
QString configurationFolder();
// The library folder used when none is set.
QString defaultLibraryFolder();
// The folder the tree bitmaps, state icons and demo song are read from.
QString runtimeFilesFolder();
