#include "miniinfo/ui/form_ConfigureMiniInfo.h"

#include "app/ui/program_icon.h"
#include "app/ui/window_placement.h"
#include "app/ui/form_main.h"
#include "miniinfo/miniinfo_rules.h"
#include "platform/shell/shell.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

Tform_ConfigureMiniInfo *form_ConfigureMiniInfo = nullptr;

namespace {

template <typename T>
T *Make(QWidget *parent, const char *name)
{
    auto *widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = Make<QLabel>(parent, name);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

}  // namespace

Tform_ConfigureMiniInfo::Tform_ConfigureMiniInfo(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("form_ConfigureMiniInfo"));
    setWindowTitle(QStringLiteral("Configure Mini-Info:"));
    setWindowIcon(ProgramIcon());
    setModal(false);

    Image1 = Make<QLabel>(this, "Image1");
    Image1->setPixmap(ProgramIcon().pixmap(32, 32));
    Image1->setFixedSize(32, 32);
    checkbox_activate = Make<QCheckBox>(this, "checkbox_activate");
    checkbox_activate->setText(QStringLiteral("Activate Mini-Info"));

    groupbox_miniinfo = Make<QGroupBox>(this, "groupbox_miniinfo");
    groupbox_miniinfo->setTitle(QStringLiteral("with the following options:"));
    radiobutton_only = Make<QRadioButton>(groupbox_miniinfo, "radiobutton_only");
    radiobutton_only->setText(QStringLiteral("Show only on Next-Song/Previous-Song command."));
    radiobutton_everytime = Make<QRadioButton>(groupbox_miniinfo, "radiobutton_everytime");
    radiobutton_everytime->setText(
        QStringLiteral("Show everytime the current song changes. (including Rewind and FastForward)"));
    label_seconds1 = MakeLabel(groupbox_miniinfo, "label_seconds1", QStringLiteral("Display the Mini-Info for "));
    edit_seconds = Make<QLineEdit>(groupbox_miniinfo, "edit_seconds");
    edit_seconds->setFixedWidth(edit_seconds->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    label_seconds2 = MakeLabel(groupbox_miniinfo, "label_seconds2", QStringLiteral("seconds."));
    label_info = MakeLabel(groupbox_miniinfo, "label_info",
                           QStringLiteral("In any case the Mini-Info will only be shown if the main window isn't "
                                          "visible."));
    label_info->setWordWrap(true);
    checkbox_notification = Make<QCheckBox>(groupbox_miniinfo, "checkbox_notification");
    checkbox_notification->setText(QStringLiteral("Show it as a desktop notification instead of the popup."));
    label_info->setMinimumWidth(
        label_info->fontMetrics().horizontalAdvance(QStringLiteral("In any case the Mini-Info")) + 12);

    button_ok = Make<QPushButton>(this, "button_ok");
    button_ok->setText(QStringLiteral("&OK"));
    button_ok->setDefault(true);
    button_cancel = Make<QPushButton>(this, "button_cancel");
    button_cancel->setText(QStringLiteral("&Cancel"));
    for (QPushButton *button : {button_ok, button_cancel})
        button->setMinimumSize(101, 25);

    // The designed arrangement: the icon beside the switch, the options indented below it, the seconds and
    // the note in one row, the buttons centred at the bottom. Layouts let it grow with the desktop's font.
    auto *seconds = new QHBoxLayout;
    seconds->addWidget(label_seconds1);
    seconds->addWidget(edit_seconds);
    seconds->addWidget(label_seconds2);
    seconds->addSpacing(24);
    seconds->addWidget(label_info, 1);
    auto *options = new QVBoxLayout(groupbox_miniinfo);
    options->setContentsMargins(20, 8, 8, 4);
    options->addWidget(radiobutton_only);
    options->addWidget(radiobutton_everytime);
    options->addLayout(seconds);
    options->addWidget(checkbox_notification);

    auto *right = new QVBoxLayout;
    right->addWidget(checkbox_activate);
    auto *indented = new QHBoxLayout;
    indented->addSpacing(16);
    indented->addWidget(groupbox_miniinfo, 1);
    right->addLayout(indented);
    auto *top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addLayout(right, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(button_ok);
    buttons->addWidget(button_cancel);
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 8, 8);
    layout->addLayout(top);
    layout->addStretch(1);
    layout->addLayout(buttons);
    // The designed client area, or more when the desktop's font needs it.
    setFixedSize(layout->sizeHint().expandedTo(QSize(529, 170)));

    // A check box set from code runs its handler too, as the window relies on when it is filled.
    connect(checkbox_activate, &QCheckBox::toggled, this, &Tform_ConfigureMiniInfo::checkbox_activateClick);
    connect(button_ok, &QPushButton::clicked, this, &Tform_ConfigureMiniInfo::button_okClick);
    connect(button_cancel, &QPushButton::clicked, this, &Tform_ConfigureMiniInfo::button_cancelClick);

    CenterOnScreen(this);
}

SettingsMiniInfo *Tform_ConfigureMiniInfo::Settings() const
{
    return form_main ? &form_main->settings.MiniInfo : nullptr;
}

void Tform_ConfigureMiniInfo::ShowConfiguration()
{
    show();
    raise();
    activateWindow();
}

void Tform_ConfigureMiniInfo::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tform_ConfigureMiniInfo::FormShow()
{
    const SettingsMiniInfo *settings = Settings();
    if (!settings)
        return;
    checkbox_activate->setChecked(settings->ActivateMiniInfo);
    checkbox_activateClick();
    if (settings->MiniInfoShowEverytime)
        radiobutton_everytime->setChecked(true);
    else
        radiobutton_only->setChecked(true);
    edit_seconds->setText(miniinfo::SecondsText(settings->MiniInfoTime));
    checkbox_notification->setChecked(settings->DesktopNotifications);
}

void Tform_ConfigureMiniInfo::checkbox_activateClick()
{
    const bool on = checkbox_activate->isChecked();
    for (QWidget *control : {static_cast<QWidget *>(groupbox_miniinfo), static_cast<QWidget *>(radiobutton_only),
                             static_cast<QWidget *>(radiobutton_everytime), static_cast<QWidget *>(label_seconds1),
                             static_cast<QWidget *>(label_seconds2), static_cast<QWidget *>(edit_seconds),
                             static_cast<QWidget *>(label_info), static_cast<QWidget *>(checkbox_notification)})
        control->setEnabled(on);
}

void Tform_ConfigureMiniInfo::button_okClick()
{
    SettingsMiniInfo *settings = Settings();
    if (!settings)
        return;
    // The seconds are checked before anything is taken over, so a refused text changes nothing at all.
    const std::optional<int> displayTime = miniinfo::DisplayTimeFromSecondsText(edit_seconds->text());
    if (!displayTime) {
        Shell::errorBox(miniinfo::NotWholeSecondsText(edit_seconds->text()), this);
        edit_seconds->setFocus();
        return;
    }
    settings->ActivateMiniInfo = checkbox_activate->isChecked();
    settings->MiniInfoShowEverytime = radiobutton_everytime->isChecked();
    settings->MiniInfoTime = *displayTime;
    settings->DesktopNotifications = checkbox_notification->isChecked();
    close();
}

void Tform_ConfigureMiniInfo::button_cancelClick() { close(); }
