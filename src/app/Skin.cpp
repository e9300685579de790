#include "Skin.h"

#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/KnownFolders.h"

#include <QFile>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringDecoder>
#include <QWidget>

void ApplySkin(QWidget &window, const QString &applicationFolder)
{
    const QString skin = applicationFolder + QStringLiteral("/x/o.cjs");
    const int attributes = FileSystem::attributes(skin);
    using namespace FileSystem::Attr;
    if (attributes < 0 || (attributes & (Hidden | System | Directory)) || !(attributes & Archive))
        return;
    const QColor face = window.palette().color(QPalette::Button);
    QPalette faced = window.palette();
    faced.setColor(QPalette::Window, face);
    // The text goes with the face, light or dark as the desktop's buttons have it.
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        faced.setColor(group, QPalette::WindowText, faced.color(group, QPalette::ButtonText));
    window.setPalette(faced);
    for (QWidget *w : window.findChildren<QWidget *>()) {
        if (qobject_cast<QRadioButton *>(w) || qobject_cast<QGroupBox *>(w)) {
            QPalette p = w->palette();
            p.setColor(QPalette::Window, face);
            w->setPalette(p);
        }
    }
    QFile file(skin);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(ErrorNumber::PermissionDenied, QStringLiteral("Cannot read skin file"));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString sheet = utf8.decode(file.readAll());
    if (utf8.hasError())
        throw AppError(ErrorNumber::TypeMismatch, QStringLiteral("Skin file is not valid UTF-8"));
    window.setStyleSheet(sheet);
}
