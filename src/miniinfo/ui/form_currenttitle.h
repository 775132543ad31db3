#pragma once
// The mini-info popup: a small borderless window in the bottom-right corner of the work area with the
// current set, the current song title and the running time against the song's length. It is popped up by
// the main window's ShowMiniInfo and hides itself after the display time. It never takes the keyboard
// focus: it is a tool window that does not accept focus, is shown without being activated, and stays out
// of the window manager's way.

#include "miniinfo/countdown_rule.h"

#include <QRect>
#include <QWidget>

class QLabel;
class QTimer;

class Tform_currenttitle : public QWidget {
    Q_OBJECT
public:
    explicit Tform_currenttitle(QWidget *parent = nullptr);

    QLabel *label_currentset = nullptr;
    QLabel *label_currentsong = nullptr;
    QLabel *label_CurrentTimeAndDuration = nullptr;  // kept up to date whether the popup shows or not
    QTimer *timer_currenttitle = nullptr;            // one countdown, then the popup hides

    // Shows the popup with `setName` and `title`, placed in `workArea`'s bottom-right corner, and lets it
    // hide after `displayTime` milliseconds (0: it stays). A pop-up while the popup shows refreshes the texts
    // and the place; the running countdown goes on unless the display time differs from the one in use.
    void PopUp(const QString &setName, const QString &title, int displayTime, const QRect &workArea);

    // The countdown as it stands: the interval in use, and whether it runs.
    const miniinfo::CountdownRule &Countdown() const { return m_countdown; }

public Q_SLOTS:
    void timer_currenttitleTimer();

private:
    void Apply(miniinfo::CountdownRule::Action action);

    miniinfo::CountdownRule m_countdown{3000};
};

extern Tform_currenttitle *form_currenttitle;
