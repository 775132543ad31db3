#pragma once
// The frame shared by the small one-line entry dialogs (new set, library folder, open URL): their object
// name and caption, the program's icon, not modal, the small font the controls were placed for, the designed
// size of 529 x 73, and the program's picture at the top left. Returns that picture, the dialog's `Image1`.

#include <QString>

class QDialog;
class QLabel;

QLabel *SetUpEntryDialog(QDialog *dialog, const QString &objectName, const QString &caption);
