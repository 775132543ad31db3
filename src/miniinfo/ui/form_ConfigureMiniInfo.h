#pragma once
// The mini-info configuration window: switches the popup on or off, chooses between showing it only on the
// next- and previous-song commands or on every song change, sets how many seconds it stays, and whether the
// desktop's notifications show it in place of the program's own popup. Shown
// without blocking the other windows; "&OK" takes the choices over into the main window's settings, which
// act at once and reach the configuration file with the other options.

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct SettingsMiniInfo;

class Tform_ConfigureMiniInfo : public QDialog {
    Q_OBJECT
public:
    explicit Tform_ConfigureMiniInfo(QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;
    QCheckBox *checkbox_activate = nullptr;
    QGroupBox *groupbox_miniinfo = nullptr;
    QRadioButton *radiobutton_only = nullptr;
    QRadioButton *radiobutton_everytime = nullptr;
    QLabel *label_seconds1 = nullptr;
    QLineEdit *edit_seconds = nullptr;
    QLabel *label_seconds2 = nullptr;
    QLabel *label_info = nullptr;
    QCheckBox *checkbox_notification = nullptr;  // a desktop notification in place of the popup
    QPushButton *button_ok = nullptr;
    QPushButton *button_cancel = nullptr;

    // Shows the window, or brings it to the front when it shows already (keeping what was entered).
    void ShowConfiguration();

public Q_SLOTS:
    // Fills the controls from the settings; runs each time the window is shown.
    void FormShow();
    // Enables the option controls exactly while the check box is checked.
    void checkbox_activateClick();
    // Takes the choices over and closes; a seconds text that is no whole number is reported and changes
    // nothing, and the window stays open.
    void button_okClick();
    // Closes without changing anything.
    void button_cancelClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The settings the window edits: the main window's.
    SettingsMiniInfo *Settings() const;
};

extern Tform_ConfigureMiniInfo *form_ConfigureMiniInfo;
