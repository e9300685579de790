// Quorbel: batch conversion of PNG images into Windows icon files.
#include "app/Form1.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QStyleFactory>

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
    return app.exec();
}
