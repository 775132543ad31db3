#include "app/ui/auto_size_labels.h"

#include <QEvent>
#include <QLabel>

namespace {
constexpr const char *kAutoSize = "dak_autosize";
}

void AutoSizeLabels::Add(QLabel *label)
{
    label->setProperty(kAutoSize, true);
    label->adjustSize();
    // A label without a layout around it tells its parent about a new text with a layout request.
    if (QWidget *parent = label->parentWidget())
        parent->installEventFilter(this);
}

bool AutoSizeLabels::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show) {
        for (QObject *child : watched->children()) {
            auto *label = qobject_cast<QLabel *>(child);
            if (label && label->property(kAutoSize).toBool() && label->size() != label->sizeHint())
                label->adjustSize();
        }
    }
    return false;
}
