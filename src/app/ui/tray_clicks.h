#pragma once
// Turns the tray icon's left-button events into the two commands they stand for: a single click toggles
// play/pause, a double click shows the main window and leaves playback as it was.
//
// Tray hosts differ in what a double click delivers: a click followed by a double-click event, or just two
// clicks. So a single click is held back for the double-click interval and only then performed; a second
// click or a double-click event inside the interval cancels it and counts as the double click. Should a
// double-click event arrive within one more interval after the held-back click already ran (a host slower
// than the interval), the toggle is performed once more, which undoes it. Either way the window comes up
// and playback ends in the state it had before.

#include <QObject>
#include <QTimer>

#include <functional>

class TrayClicks : public QObject {
    Q_OBJECT
public:
    explicit TrayClicks(QObject *parent = nullptr);

    // What the clicks do. `toggle` is the play/pause toggle, `showWindow` brings up the main window.
    void SetActions(std::function<void()> toggle, std::function<void()> showWindow);

    // How long a single click waits for a second one, in milliseconds (default: the desktop's
    // double-click interval).
    void SetInterval(int ms);
    int Interval() const { return m_timer.interval(); }

    void Click();        // left button pressed once
    void DoubleClick();  // the host reported a double click

    bool ClickPending() const { return m_pending; }
    // Performs a held-back click now, as the timer does when the interval ends.
    void FirePending();
    // Ends the time in which a late double-click event undoes the performed click, as the timer does one
    // interval after the click was performed.
    void ForgetLastClick();

private:
    QTimer m_timer;       // holds a single click back
    QTimer m_undoWindow;  // after a performed click: a double-click event now undoes it
    std::function<void()> m_toggle;
    std::function<void()> m_showWindow;
    bool m_pending = false;           // a single click waits for the interval to end
    bool m_lastClickToggled = false;  // the last click's toggle ran and no event followed yet
};
