#include "library/ui/form_libraryfolder.h"

#include "app/ui/entry_dialog_frame.h"
#include "app/ui/window_placement.h"
#include "app/ui/form_main.h"
#include "library/store/library_paths.h"
#include "platform/shell/shell.h"
#include "widgets/placed_widgets.h"
#include "config/locations.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using widgets::Make;
using widgets::MakeButton;

Tform_libraryfolder *form_libraryfolder = nullptr;

Tform_libraryfolder::Tform_libraryfolder(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint)
{
    Image1 =
        SetUpEntryDialog(this, QStringLiteral("form_libraryfolder"), QStringLiteral("Enter Library Folder - DAK-MP3"));
    edit_libraryfolder = Make<QLineEdit>(this, "edit_libraryfolder", QRect(40, 8, 269, 21));
    button_browse = MakeButton(this, "button_browse", QStringLiteral("&Browse"), QPoint(316, 8));
    button_default = MakeButton(this, "button_default", QStringLiteral("&Default"), QPoint(424, 8));
    button_ok = MakeButton(this, "button_ok", QStringLiteral("&OK"), QPoint(164, 40));
    button_cancel = MakeButton(this, "button_cancel", QStringLiteral("&Cancel"), QPoint(272, 40));
    // Enter in the field presses the default button; Escape rejects the dialog, which is "&Cancel".
    button_ok->setDefault(true);
    setTabOrder(edit_libraryfolder, button_browse);
    setTabOrder(button_browse, button_default);
    setTabOrder(button_default, button_ok);
    setTabOrder(button_ok, button_cancel);

    connect(button_browse, &QPushButton::clicked, this, &Tform_libraryfolder::button_browseClick);
    connect(button_default, &QPushButton::clicked, this, &Tform_libraryfolder::button_defaultClick);
    connect(button_ok, &QPushButton::clicked, this, &Tform_libraryfolder::button_okClick);
    connect(button_cancel, &QPushButton::clicked, this, &Tform_libraryfolder::button_cancelClick);
    CenterOnScreen(this);
}

void Tform_libraryfolder::ShowLibraryFolder()
{
    if (form_main != nullptr)
        edit_libraryfolder->setText(form_main->settings.Options.libraryfolder);
    show();
    raise();
    activateWindow();
    edit_libraryfolder->setFocus();
}

void Tform_libraryfolder::button_browseClick()
{
    const QString folder = Shell::BrowseForFolder(QStringLiteral("Browse for Folder"), this);
    if (!folder.isEmpty())
        edit_libraryfolder->setText(folder);
}

void Tform_libraryfolder::button_defaultClick() { edit_libraryfolder->setText(defaultLibraryFolder()); }

void Tform_libraryfolder::button_okClick()
{
    // Taken as it stands: no "/" is added and nothing is tested (an empty folder means the program's folder).
    if (form_main != nullptr)
        form_main->settings.Options.libraryfolder = edit_libraryfolder->text();
    hide();
}

void Tform_libraryfolder::button_cancelClick() { hide(); }
