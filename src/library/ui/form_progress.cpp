#include "library/ui/form_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

TLibraryProgress::TLibraryProgress(const QString &objectName, const QString &windowTitle)
    : m_objectName(objectName), m_windowTitle(windowTitle)
{
    m_started.start();
}

TLibraryProgress::~TLibraryProgress() = default;

bool TLibraryProgress::searching(qsizetype found)
{
    if (m_dialog == nullptr && m_started.elapsed() >= ShownAfterMs)
        Show();
    if (m_dialog == nullptr)
        return true;
    m_dialog->setLabelText(QStringLiteral("Searching for MP3 files... %1 found").arg(found));
    QCoreApplication::processEvents();
    return !m_dialog->wasCanceled();
}

bool TLibraryProgress::adding(qsizetype handled, qsizetype total)
{
    if (m_dialog == nullptr && (total > ShownFrom || m_started.elapsed() >= ShownAfterMs))
        Show();
    if (m_dialog == nullptr)
        return true;
    if (m_dialog->maximum() != static_cast<int>(total)) {
        m_dialog->setLabelText(QStringLiteral("Adding %1 MP3 files to the song library...").arg(total));
        m_dialog->setRange(0, static_cast<int>(total));
    }
    m_dialog->setValue(static_cast<int>(handled));  // lets events through, as the dialog shows
    return !m_dialog->wasCanceled();
}

void TLibraryProgress::Show()
{
    m_dialog = std::make_unique<QProgressDialog>();
    m_dialog->setObjectName(m_objectName);
    m_dialog->setWindowTitle(m_windowTitle);
    m_dialog->setLabelText(QStringLiteral("Searching for MP3 files..."));
    m_dialog->setCancelButtonText(QStringLiteral("&Cancel"));
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    m_dialog->setRange(0, 0);  // a busy indicator until the number of files is known
    // Shown now rather than after the dialog's own estimate of the time left.
    QMetaObject::invokeMethod(m_dialog.get(), "forceShow");
    QCoreApplication::processEvents();
}
