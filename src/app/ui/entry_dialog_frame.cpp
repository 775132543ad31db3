#include "app/ui/entry_dialog_frame.h"

#include "app/ui/program_icon.h"
#include "widgets/placed_widgets.h"

#include <QDialog>
#include <QLabel>

QLabel *SetUpEntryDialog(QDialog *dialog, const QString &objectName, const QString &caption)
{
    dialog->setObjectName(objectName);
    dialog->setWindowTitle(caption);
    dialog->setWindowIcon(ProgramIcon());
    dialog->setModal(false);
    QFont small = dialog->font();
    small.setPointSize(8);
    dialog->setFont(small);
    dialog->setFixedSize(529, 73);

    auto *picture = widgets::Make<QLabel>(dialog, "Image1", QRect(4, 4, 32, 32));
    picture->setPixmap(ProgramIcon().pixmap(32, 32));
    return picture;
}
