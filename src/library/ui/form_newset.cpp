#include "library/ui/form_newset.h"

#include "app/ui/entry_dialog_frame.h"
#include "app/ui/window_placement.h"
#include "app/ui/form_main.h"
#include "library/store/library_messages.h"
#include "library/store/library_paths.h"
#include "library/store/library_store.h"
#include "platform/shell/shell.h"
#include "widgets/placed_widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using widgets::Make;

Tform_newset *form_newset = nullptr;

Tform_newset::Tform_newset(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    Image1 = SetUpEntryDialog(this, QStringLiteral("form_newset"), QStringLiteral("Enter New Set Name - DAK-MP3:"));
    edit_newset = Make<QLineEdit>(this, "edit_newset", QRect(40, 8, 485, 21));
    button_ok = Make<QPushButton>(this, "button_ok", QRect(164, 40, 101, 25));
    button_ok->setText(QStringLiteral("&OK"));
    button_cancel = Make<QPushButton>(this, "button_cancel", QRect(272, 40, 101, 25));
    button_cancel->setText(QStringLiteral("&Cancel"));
    button_cancel->setAutoDefault(false);
    // Enter in the field presses the default button; Escape rejects the dialog, which is "&Cancel".
    button_ok->setDefault(true);
    setTabOrder(edit_newset, button_ok);
    setTabOrder(button_ok, button_cancel);

    connect(button_ok, &QPushButton::clicked, this, &Tform_newset::button_okClick);
    connect(button_cancel, &QPushButton::clicked, this, &Tform_newset::button_cancelClick);
    // The library tree asks for the dialog in insert mode.
    if (form_main != nullptr)
        connect(form_main, &Tform_main::NewSetDialogRequested, this, &Tform_newset::OpenInsert);
    CenterOnScreen(this);
}

void Tform_newset::OpenAppend() { Open(false, -1); }

void Tform_newset::OpenInsert(int position) { Open(true, position); }

void Tform_newset::Open(bool insert, int position)
{
    m_insert = insert;
    m_position = position;
    edit_newset->clear();
    show();
    raise();
    activateWindow();
    edit_newset->setFocus();
}

void Tform_newset::button_okClick()
{
    const QString name = edit_newset->text();
    // Refused here rather than by the store, so that the dialog stays open with the text to correct.
    if (const QString problem = SetNameProblem(name); !problem.isEmpty()) {
        Shell::errorBox(LibraryMessages::badSetName(name, problem), this);
        edit_newset->setFocus();
        return;
    }
    hide();
    if (form_main == nullptr)
        return;
    LibraryStore &library = form_main->Library();
    if (!m_insert) {
        // The tree and menu follow when the library manager closes or recreates them.
        library.AddSet(name, -1);
        return;
    }
    if (library.AddSet(name, m_position))
        library.AddSong(kPlaceholderSong, name);
    form_main->CreateLibraryMenu();
}

void Tform_newset::button_cancelClick() { hide(); }
