#include "LockKeys.h"

#include <QGuiApplication>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(QV_HAVE_X11)
#include <X11/XKBlib.h>
#endif

LockKeyState CurrentLockKeys()
{
    LockKeyState s;
#if defined(Q_OS_WIN)
    s.known = true;
    s.capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
    s.numLock = (GetKeyState(VK_NUMLOCK) & 1) != 0;
#elif defined(QV_HAVE_X11)
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return s;
    auto indicator = [display](const char *name) {
        Bool on = False;
        const Atom atom = XInternAtom(display, name, False);
        XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr);
        return on == True;
    };
    s.known = true;
    s.capsLock = indicator("Caps Lock");
    s.numLock = indicator("Num Lock");
#endif
    return s;
}
