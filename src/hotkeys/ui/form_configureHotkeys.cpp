#include "hotkeys/ui/form_configureHotkeys.h"

#include "app/ui/window_placement.h"
#include "app/ui/form_main.h"
#include "config/settings_file.h"
#include "hotkeys/shortcuts/shortcut_texts.h"
#include "platform/profile/profile_file.h"
#include "platform/shell/shell.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

Tform_configureHotkeys *form_configureHotkeys = nullptr;

using hotkeys::HotkeyList;

namespace {

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel *MakeHeading(QWidget *parent, const char *name, const QString &text)
{
    QLabel *label = MakeLabel(parent, name, text);
    QFont underlined = label->font();
    underlined.setUnderline(true);
    label->setFont(underlined);
    return label;
}

QListWidget *MakeList(QWidget *parent, const char *name, bool enabled)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEnabled(enabled);
    return list;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    // Enter in the combo box must not press a button behind the user's back.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QFrame *MakePanel(QWidget *parent, const char *name)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return panel;
}

// Puts the list box's items in line with the texts, changing only what differs, so the selection stays.
void ShowTexts(QListWidget *list, const QStringList &texts)
{
    while (list->count() > texts.size())
        delete list->takeItem(list->count() - 1);
    for (int i = 0; i < texts.size(); ++i) {
        if (i < list->count()) {
            if (list->item(i)->text() != texts[i])
                list->item(i)->setText(texts[i]);
        } else {
            list->addItem(texts[i]);
        }
    }
}

// The hourglass over the window for as long as it lives.
class WaitCursor {
public:
    explicit WaitCursor(QWidget *window) : window_(window) { window_->setCursor(Qt::WaitCursor); }
    ~WaitCursor() { window_->unsetCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

private:
    QWidget *window_;
};

}  // namespace

Tform_configureHotkeys::Tform_configureHotkeys(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("form_configureHotkeys"));
    setWindowTitle(QStringLiteral("Configure Hotkeys - DAK-MP3"));
    setModal(false);
    CreateControls();
    setFixedSize(kClientWidth, kClientHeight);
    CenterOnScreen(this);
    ShowLines();
}

void Tform_configureHotkeys::CreateControls()
{
    // Top panel: the instruction, three headings and the three lists side by side.
    QFrame *panel_top = MakePanel(this, "panel_top");
    label_instruction = MakeLabel(
        panel_top, "label_instruction",
        QStringLiteral("Select a function in the listbox left/below and assign a Hotkey using the combobox."));
    label_instruction->setWordWrap(true);
    label_hotkeysheading = MakeHeading(panel_top, "label_hotkeysheading", QStringLiteral("<Function>=<Hotkey>"));
    label_systemwideheading =
        MakeHeading(panel_top, "label_systemwideheading", QStringLiteral("<Function>=<System-wide?>"));
    label_PassToNextProgramheading =
        MakeHeading(panel_top, "label_PassToNextProgramheading", QStringLiteral("<Function>=<Allow fg. app?>"));
    listbox_hotkeys = MakeList(panel_top, "listbox_hotkeys", true);
    listbox_systemwide = MakeList(panel_top, "listbox_systemwide", false);
    listbox_PassToNextProgram = MakeList(panel_top, "listbox_PassToNextProgram", false);
    auto *top = new QGridLayout(panel_top);
    top->addWidget(label_instruction, 0, 0, 1, 3);
    top->addWidget(label_hotkeysheading, 1, 0);
    top->addWidget(label_systemwideheading, 1, 1);
    top->addWidget(label_PassToNextProgramheading, 1, 2);
    top->addWidget(listbox_hotkeys, 2, 0);
    top->addWidget(listbox_systemwide, 2, 1);
    top->addWidget(listbox_PassToNextProgram, 2, 2);
    top->setColumnStretch(0, 1);
    top->setColumnStretch(1, 1);
    top->setColumnStretch(2, 1);

    // Middle panel: what the selected action gets.
    QFrame *panel_middle = MakePanel(this, "panel_middle");
    combobox_hotkeys = new QComboBox(panel_middle);
    combobox_hotkeys->setObjectName(QStringLiteral("combobox_hotkeys"));
    combobox_hotkeys->setEditable(true);
    combobox_hotkeys->setInsertPolicy(QComboBox::NoInsert);  // typed texts never join the list
    combobox_hotkeys->addItems(shortcuts::ShortcutChoices());
    combobox_hotkeys->setMaxVisibleItems(16);
    checkbox_systemwide = new QCheckBox(QStringLiteral("Make this one a system-wide hotkey."), panel_middle);
    checkbox_systemwide->setObjectName(QStringLiteral("checkbox_systemwide"));
    checkbox_PassToNextProgram =
        new QCheckBox(QStringLiteral("Also allow the foreground app to process this key?"), panel_middle);
    checkbox_PassToNextProgram->setObjectName(QStringLiteral("checkbox_PassToNextProgram"));
    checkbox_PassToNextProgram->setEnabled(false);
    button_assign = MakeButton(panel_middle, "button_assign", QStringLiteral("&Assign"));
    label_systemwidewarning = MakeLabel(
        panel_middle, "label_systemwidewarning",
        QStringLiteral("Be careful with this option! If DAK-MP3 is started and you assigned, say the Insert key, as "
                       "a system-wide hotkey then DAK-MP3 will execute the associated function *everytime* this key "
                       "is pressed - no matter if another program is active/in the foreground."));
    label_systemwidewarning->setWordWrap(true);
    label_PassToNextProgramnote =
        MakeLabel(panel_middle, "label_PassToNextProgramnote",
                  QStringLiteral("Additionally the pressed hotkey will be forwarded to the active program/the "
                                 "program in the foreground."));
    label_PassToNextProgramnote->setWordWrap(true);
    auto *middle = new QGridLayout(panel_middle);
    middle->addWidget(combobox_hotkeys, 0, 0);
    middle->addWidget(button_assign, 0, 1);
    middle->addWidget(checkbox_systemwide, 1, 0, 1, 2);
    middle->addWidget(label_systemwidewarning, 2, 0, 1, 2);
    auto *passOn = new QHBoxLayout;
    passOn->addSpacing(20);  // set in below the system-wide box it depends on
    auto *passOnColumn = new QVBoxLayout;
    passOnColumn->addWidget(checkbox_PassToNextProgram);
    passOnColumn->addWidget(label_PassToNextProgramnote);
    passOn->addLayout(passOnColumn);
    middle->addLayout(passOn, 3, 0, 1, 2);
    middle->setColumnStretch(0, 1);

    // Bottom panel: OK.
    QFrame *panel_bottom = MakePanel(this, "panel_bottom");
    button_ok = MakeButton(panel_bottom, "button_ok", QStringLiteral("&OK"));
    auto *bottom = new QHBoxLayout(panel_bottom);
    bottom->addStretch(1);
    bottom->addWidget(button_ok);
    bottom->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel_top, 1);
    layout->addWidget(panel_middle);
    layout->addWidget(panel_bottom);

    // A selection made by the user, with the mouse or the keys; nothing in this window selects from code.
    connect(listbox_hotkeys, &QListWidget::itemSelectionChanged, this, [this] { listbox_hotkeysClick(); });
    // Like a click, a change of the check mark made from code runs the handler too.
    connect(checkbox_systemwide, &QCheckBox::toggled, this, [this] { checkbox_systemwideClick(); });
    connect(button_assign, &QPushButton::clicked, this, [this] { button_assignClick(); });
    connect(button_ok, &QPushButton::clicked, this, [this] { button_okClick(); });

    setTabOrder(listbox_hotkeys, combobox_hotkeys);
    setTabOrder(combobox_hotkeys, checkbox_systemwide);
    setTabOrder(checkbox_systemwide, checkbox_PassToNextProgram);
    setTabOrder(checkbox_PassToNextProgram, button_assign);
    setTabOrder(button_assign, button_ok);
    listbox_hotkeys->setFocus();
}

QString Tform_configureHotkeys::ConfigurationFile() { return configurationFilePath(); }

void Tform_configureHotkeys::ShowLines()
{
    ShowTexts(listbox_hotkeys, m_lines.lines(HotkeyList::Hotkeys));
    ShowTexts(listbox_systemwide, m_lines.lines(HotkeyList::SystemWide));
    ShowTexts(listbox_PassToNextProgram, m_lines.lines(HotkeyList::PassToNextProgram));
}

int Tform_configureHotkeys::SelectedLine() const
{
    const QList<QListWidgetItem *> selected = listbox_hotkeys->selectedItems();
    return selected.isEmpty() ? -1 : listbox_hotkeys->row(selected.first());
}

void Tform_configureHotkeys::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Tform_configureHotkeys::FormShow()
{
    // A file that cannot be read leaves the lines as they are; closing the window reports the file then.
    const ProfileFile file(ConfigurationFile());
    if (file.readStatus().ok())
        m_lines.merge(file);
    ShowLines();
}

void Tform_configureHotkeys::listbox_hotkeysClick()
{
    checkbox_systemwide->setChecked(false);
    checkbox_PassToNextProgram->setChecked(false);
    checkbox_PassToNextProgram->setEnabled(false);
    const int line = SelectedLine();
    if (line < 0)
        return;
    const hotkeys::HotkeySelection s = m_lines.select(line);
    combobox_hotkeys->setEditText(s.text);
    checkbox_systemwide->setChecked(s.systemWide);  // enables the pass-on box through its handler
    checkbox_PassToNextProgram->setChecked(s.passOn);
}

void Tform_configureHotkeys::checkbox_systemwideClick()
{
    checkbox_PassToNextProgram->setEnabled(checkbox_systemwide->isChecked());
}

void Tform_configureHotkeys::button_assignClick()
{
    const int line = SelectedLine();
    if (line < 0)
        return;
    m_lines.assign(line, combobox_hotkeys->currentText(), checkbox_systemwide->isChecked(),
                   checkbox_PassToNextProgram->isChecked());
    ShowLines();
}

void Tform_configureHotkeys::button_okClick() { close(); }

void Tform_configureHotkeys::reject() { close(); }

void Tform_configureHotkeys::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void Tform_configureHotkeys::FormClose()
{
    const WaitCursor hourglass(this);
    const QString path = ConfigurationFile();
    const ProfileStatus status = writeHotkeySettings(path, m_lines.toSettings());
    if (!status.ok())
        Shell::errorBox(QStringLiteral("Couldn't open or save file: ") + path, this);
    // Also after a failure: the main window then goes on with whatever the file holds.
    if (form_main)
        form_main->DoAllInitStuff();
}
