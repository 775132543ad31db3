#pragma once
// Follows whether the desktop has a system tray. A tray host may come up a little after the program (at
// login), so at start it is given a grace period; a tray still missing after it is reported once with
// TrayMissing. From then on the watch keeps looking: a tray that appears is reported with TrayBack, one that
// goes away again with TrayMissing.

#include <QObject>
#include <QTimer>

#include <functional>

class TrayWatch : public QObject {
    Q_OBJECT
public:
    // `trayPresent` answers whether a tray exists now.
    explicit TrayWatch(std::function<bool()> trayPresent, QObject *parent = nullptr);

    // Begins watching: the first verdict after `graceMs`, then a look every `pollMs`.
    void Start(int graceMs = 2000, int pollMs = 500);
    // Whether the last look found a tray (true before the first verdict).
    bool TrayPresent() const { return m_present; }

Q_SIGNALS:
    void TrayMissing();
    void TrayBack();

private:
    void Look();

    std::function<bool()> m_trayPresent;
    QTimer m_timer;
    bool m_present = true;
};
