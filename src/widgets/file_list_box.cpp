#include "widgets/file_list_box.h"

#include "widgets/dir_paths.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {

constexpr int kItemHeight = 16;

QList<QRegularExpression> Patterns(const QString &mask)
{
    QList<QRegularExpression> patterns;
    for (QString part : mask.split(u';', Qt::SkipEmptyParts)) {
        part = part.trimmed();
        if (part == u"*.*")
            part = QStringLiteral("*");
        patterns.append(QRegularExpression(QRegularExpression::wildcardToRegularExpression(part),
                                           QRegularExpression::CaseInsensitiveOption));
    }
    return patterns;
}

}  // namespace

TFileListBox::TFileListBox(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setIconSize(QSize(kItemHeight, kItemHeight));
}

QStringList TFileListBox::Matching(const QStringList &names, const QString &mask)
{
    const QList<QRegularExpression> patterns = Patterns(mask);
    QStringList matching;
    for (const QString &name : names) {
        if (std::any_of(patterns.begin(), patterns.end(),
                        [&](const QRegularExpression &p) { return p.match(name).hasMatch(); }))
            matching.append(name);
    }
    std::sort(matching.begin(), matching.end(), [](const QString &a, const QString &b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return matching;
}

bool TFileListBox::SetDirectory(const QString &folder)
{
    // Through the byte form of the name, so that a folder whose name is not valid UTF-8 is listed too.
    const QByteArray native = dirpaths::EncodeName(folder);
    const bool ok = !folder.isEmpty() && dirpaths::IsFolder(folder) && ::access(native.constData(), R_OK | X_OK) == 0;
    m_directory = ok ? folder : QString();
    Update();
    return ok;
}

void TFileListBox::SetMask(const QString &mask)
{
    m_mask = mask;
    Update();
}

void TFileListBox::Update()
{
    clear();
    if (m_directory.isEmpty())
        return;
    QStringList names;
    const QString folder = dirpaths::WithTrailingSlash(m_directory);
    for (const QString &name : dirpaths::EntryNames(folder)) {
        struct stat info { };
        if (::stat(dirpaths::EncodeName(folder + name).constData(), &info) == 0 && S_ISREG(info.st_mode))
            names.append(name);
    }
    static const QFileIconProvider provider;
    const QIcon icon = provider.icon(QFileIconProvider::File);
    for (const QString &name : Matching(names, m_mask)) {
        auto *item = new QListWidgetItem(icon, name, this);
        item->setSizeHint(QSize(item->sizeHint().width(), kItemHeight));
    }
}

QStringList TFileListBox::SelectedFileNames() const
{
    QStringList names;
    for (int row = 0; row < count(); ++row) {
        if (item(row)->isSelected())
            names.append(item(row)->text());
    }
    return names;
}

TFilterComboBox::TFilterComboBox(QWidget *parent) : QComboBox(parent)
{
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (m_fileList)
            m_fileList->SetMask(Mask());
    });
}

void TFilterComboBox::SetFilter(const QString &filter)
{
    m_filter = filter;
    const QStringList parts = filter.split(u'|');
    QSignalBlocker block(this);
    clear();
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        addItem(parts.at(i), parts.at(i + 1));
    setCurrentIndex(count() > 0 ? 0 : -1);
    if (m_fileList)
        m_fileList->SetMask(Mask());
}

QString TFilterComboBox::Mask() const { return currentIndex() < 0 ? QStringLiteral("*") : currentData().toString(); }

void TFilterComboBox::SetFileList(TFileListBox *list)
{
    m_fileList = list;
    if (m_fileList)
        m_fileList->SetMask(Mask());
}
