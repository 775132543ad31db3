#pragma once
// The hotkey configuration window: one line per hotkey action in each of three lists (shortcut text,
// system-wide, pass on to the program in the foreground), a combo box and two check boxes to edit the
// selected action, and "Assign" to store them in its lines. Every time the window is shown it lays the
// configuration file's three hotkey sections over its lines; every time it closes (OK, the close box or
// Esc) it writes all three sections and has the main window load its configuration again, which makes the
// new hotkeys act and the keyboard hook grab them.
//
// The lines live in a hotkeys::HotkeyLines; the list boxes show them. Modeless; created at start, lives
// until exit.

#include "hotkeys/hotkey_lines.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

class Tform_configureHotkeys : public QDialog {
    Q_OBJECT
public:
    explicit Tform_configureHotkeys(QWidget *parent = nullptr);

    static constexpr int kClientWidth = 523;
    static constexpr int kClientHeight = 501;

    QLabel *label_instruction = nullptr;
    QLabel *label_hotkeysheading = nullptr;
    QLabel *label_systemwideheading = nullptr;
    QLabel *label_PassToNextProgramheading = nullptr;
    QListWidget *listbox_hotkeys = nullptr;
    QListWidget *listbox_systemwide = nullptr;         // display only
    QListWidget *listbox_PassToNextProgram = nullptr;  // display only
    QComboBox *combobox_hotkeys = nullptr;             // editable: "<none>", then the known texts
    QCheckBox *checkbox_systemwide = nullptr;
    QCheckBox *checkbox_PassToNextProgram = nullptr;
    QPushButton *button_assign = nullptr;
    QLabel *label_systemwidewarning = nullptr;
    QLabel *label_PassToNextProgramnote = nullptr;
    QPushButton *button_ok = nullptr;

    const hotkeys::HotkeyLines &Lines() const { return m_lines; }
    // The configuration file the window reads and writes (the one the main window loads).
    static QString ConfigurationFile();

    void FormShow();
    void listbox_hotkeysClick();
    void button_assignClick();
    void checkbox_systemwideClick();
    void button_okClick();
    void FormClose();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Esc closes the window like the close box, so it writes and reloads too.
    void reject() override;

private:
    void CreateControls();
    // The list boxes show the lines again; selection and scroll positions stay.
    void ShowLines();
    int SelectedLine() const;

    hotkeys::HotkeyLines m_lines;
};

extern Tform_configureHotkeys *form_configureHotkeys;
