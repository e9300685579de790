// Whether the window can open. Without a display Qt's platform plugin aborts the
// program (and dumps core), so the answer is found before the application exists.
#pragma once

#include <QString>
#include <QStringList>

struct DisplayEnvironment
{
    QString platformArgument; // the value of a -platform argument, if any
    QString qpaPlatform;      // QT_QPA_PLATFORM
    QString display;          // DISPLAY
    QString waylandDisplay;   // WAYLAND_DISPLAY
};

DisplayEnvironment currentDisplayEnvironment(const QStringList &arguments);

// A requested platform ("-platform" before QT_QPA_PLATFORM, as Qt takes them; a ";"
// list is tried in turn) can open when one of its entries can: "xcb" needs DISPLAY,
// "wayland..." needs WAYLAND_DISPLAY, any other (offscreen, minimal, vnc, eglfs, ...)
// needs no display server. Nothing requested: DISPLAY or WAYLAND_DISPLAY must be set.
bool canOpenWindow(const DisplayEnvironment &environment);

// The one line shown instead of the window.
QString noDisplayMessage(const QString &reason);

// Turns a fatal error of Qt's platform start (an X server that cannot be reached, say)
// into noDisplayMessage and status 2 instead of an abort, while it lives.
class FatalStartGuard
{
public:
    FatalStartGuard();
    ~FatalStartGuard();
    FatalStartGuard(const FatalStartGuard &) = delete;
    FatalStartGuard &operator=(const FatalStartGuard &) = delete;
};
