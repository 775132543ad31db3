#include "playback/ui/form_openurl.h"

#include "app/ui/entry_dialog_frame.h"
#include "app/ui/window_placement.h"
#include "app/ui/form_main.h"
#include "playback/transport_logic.h"
#include "widgets/placed_widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using widgets::Make;
using widgets::MakeButton;

Tform_openurl *form_openurl = nullptr;

Tform_openurl::Tform_openurl(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    Image1 = SetUpEntryDialog(this, QStringLiteral("form_openurl"), QStringLiteral("Open URL - DAK-MP3:"));
    edit_url = Make<QLineEdit>(this, "edit_url", QRect(40, 8, 485, 21));
    button_favorites = MakeButton(this, "button_favorites", QStringLiteral("&Favorites"), QPoint(40, 40));
    button_media = MakeButton(this, "button_media", QStringLiteral("Favorites -> &Media"), QPoint(380, 40));
    button_favorites->hide();
    button_media->hide();
    button_open = MakeButton(this, "button_open", QStringLiteral("&Open"), QPoint(164, 40));
    button_cancel = MakeButton(this, "button_cancel", QStringLiteral("&Cancel"), QPoint(272, 40));
    // Enter in the field presses the default button; Escape rejects the dialog, which is "&Cancel".
    button_open->setDefault(true);
    setTabOrder(edit_url, button_open);
    setTabOrder(button_open, button_cancel);

    connect(button_open, &QPushButton::clicked, this, &Tform_openurl::button_openClick);
    connect(button_cancel, &QPushButton::clicked, this, &Tform_openurl::button_cancelClick);
    CenterOnScreen(this);
}

void Tform_openurl::ShowOpenUrl()
{
    show();
    raise();
    activateWindow();
    edit_url->setFocus();
}

void Tform_openurl::button_openClick()
{
    // The text goes to the player exactly as typed, even empty: the player reports what it cannot open.
    const QString url = edit_url->text();
    hide();
    if (form_main != nullptr)
        form_main->OpenMP3(url, playback::kSetUnknown, playback::kTitleUnknown);
}

void Tform_openurl::button_cancelClick() { hide(); }
