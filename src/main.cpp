// Quorbel: batch conversion of PNG images into Windows icon files.
#include "app/Form1.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QStyleFactory>
#include <QTimer>

namespace {
class QuitOnFirstPaint final : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QtDialogs dialogs;
    SettingsStore store;
    Form1 window(dialogs, store, FileSystem::applicationFolder());
    window.Form_Load();
    window.centreOnScreen();
    window.show();
    // For the start-up benchmark: leave once the window has been painted on screen.
    QuitOnFirstPaint quitter;
    if (qEnvironmentVariableIsSet("QUORBEL_QUIT_WHEN_SHOWN"))
        window.installEventFilter(&quitter);
    return app.exec();
}
