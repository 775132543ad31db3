#pragma once
// The progress window of long library work (a folder import, many songs added in the library manager): made
// when first needed, shown when the work has more than a few hundred files or has run for a while. While it
// shows, it lets events through so that its cancel button works; it is modal to the application, so no other
// window takes input meanwhile.

#include <QElapsedTimer>
#include <QString>

#include <memory>

class QProgressDialog;

class TLibraryProgress {
public:
    // Work on more files than this shows its progress and can be cancelled from the start; shorter work only
    // when it takes long.
    static constexpr qsizetype ShownFrom = 300;
    // How long the work runs before its progress shows by itself, in milliseconds.
    static constexpr int ShownAfterMs = 1000;

    // `objectName` names the dialog (for tests and styles), `windowTitle` is its caption.
    TLibraryProgress(const QString &objectName, const QString &windowTitle);
    ~TLibraryProgress();
    TLibraryProgress(const TLibraryProgress &) = delete;
    TLibraryProgress &operator=(const TLibraryProgress &) = delete;

    // While files are searched: `found` so far. False: the user cancelled.
    bool searching(qsizetype found);
    // While files are added: `handled` of `total`. False: the user cancelled.
    bool adding(qsizetype handled, qsizetype total);

private:
    void Show();

    QString m_objectName;
    QString m_windowTitle;
    QElapsedTimer m_started;
    std::unique_ptr<QProgressDialog> m_dialog;
};
