#include "DisplayCheck.h"

#include "platform/Console.h"

#include <QCoreApplication>
#include <QtGlobal>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Terminal", text);
}
} // namespace

namespace {
QtMessageHandler previousHandler = nullptr;

// Qt's own warning (which display failed, and why) has been printed by then.
void fatalToExit(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        if (previousHandler)
            previousHandler(type, context, message);
        return;
    }
    Console::write(Console::Stream::Err, noDisplayMessage(tr("the display could not be reached")));
    Console::exitNow(2);
}

bool entryCanOpen(const QString &entry, const DisplayEnvironment &environment)
{
    const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
    if (name == QLatin1String("xcb"))
        return !environment.display.isEmpty();
    if (name.startsWith(QLatin1String("wayland")))
        return !environment.waylandDisplay.isEmpty();
    return !name.isEmpty();
}
} // namespace

DisplayEnvironment currentDisplayEnvironment(const QStringList &arguments)
{
    DisplayEnvironment environment;
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("-platform") ||
            arguments.at(i) == QLatin1String("--platform"))
            environment.platformArgument = arguments.at(i + 1);
    }
    environment.qpaPlatform = qEnvironmentVariable("QT_QPA_PLATFORM");
    environment.display = qEnvironmentVariable("DISPLAY");
    environment.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    return environment;
}

bool canOpenWindow(const DisplayEnvironment &environment)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QString requested = !environment.platformArgument.isEmpty() ? environment.platformArgument
                                                                      : environment.qpaPlatform;
    if (requested.trimmed().isEmpty())
        return !environment.display.isEmpty() || !environment.waylandDisplay.isEmpty();
    for (const QString &entry : requested.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (entryCanOpen(entry, environment))
            return true;
    }
    return false;
#else
    Q_UNUSED(environment);
    return true;
#endif
}

QString noDisplayMessage(const QString &reason)
{
    return tr("quorbel: cannot open the window: %1. To convert from a terminal, "
              "see: quorbel --convert --help\n")
        .arg(reason);
}

FatalStartGuard::FatalStartGuard()
{
    previousHandler = qInstallMessageHandler(fatalToExit);
}

FatalStartGuard::~FatalStartGuard()
{
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
}
