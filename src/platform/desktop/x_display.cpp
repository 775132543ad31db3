#include "platform/desktop/x_display.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

void FlushDisplayConnection()
{
    if (!qApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    if (auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>(); x11 && x11->connection())
        xcb_flush(x11->connection());
}
