#include "library/ui/library_menu_entries.h"

#include <QAction>
#include <QMenu>

namespace library {

QString MenuCaption(const QString &name)
{
    QString caption = name;
    caption.replace(QStringLiteral("&"), QStringLiteral("&&"));
    return caption;
}

void SetEntryName(QAction *entry, const QString &name)
{
    const QString caption = MenuCaption(name);
    entry->setText(caption);
    // Most names show as they are; only the others need the name beside the caption.
    if (caption != name)
        entry->setData(name);
}

QString EntryName(const QAction *entry)
{
    const QVariant name = entry->data();
    return name.typeId() == QMetaType::QString ? name.toString() : entry->text();
}

QMenu *ParentMenu(const QAction *entry)
{
    if (auto *menu = qobject_cast<QMenu *>(entry->parent()))
        return menu;
    const QList<QObject *> owners = entry->associatedObjects();
    for (QObject *owner : owners) {
        if (auto *menu = qobject_cast<QMenu *>(owner))
            return menu;
    }
    return nullptr;
}

QString MenuName(const QMenu *menu)
{
    const QVariant name = menu->menuAction()->data();
    return name.typeId() == QMetaType::QString ? name.toString() : menu->title();
}

}  // namespace library
