#pragma once
// A private X server for one test run: Xvfb picks a free display number and reports it once it accepts
// connections. Stopped (and waited for) on destruction.

#include <QByteArray>
#include <QProcess>

class PrivateXServer {
public:
    ~PrivateXServer();
    // Starts Xvfb; false when it is not installed or does not come up.
    bool start();
    void stop();
    QByteArray display() const { return display_; }  // ":N"

private:
    QProcess process_;
    QByteArray display_;
};

// Runs xdotool with the given arguments on `display`; true when it exits with 0.
bool Xdotool(const QByteArray &display, const QStringList &arguments);
