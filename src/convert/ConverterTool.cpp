#include "ConverterTool.h"

#include "platform/AppError.h"
#include "platform/KnownFolders.h"

#include <QFile>

static void initConverterResource()
{
    Q_INIT_RESOURCE(converter);
}

QByteArray loadConverterImage()
{
    initConverterResource();
    QFile resource(QStringLiteral(":/converter"));
    if (!resource.open(QIODevice::ReadOnly))
        throw AppError(ErrorNumber::FileNotFound, QStringLiteral("Resource not found"));
    return resource.readAll();
}

QString ConverterToolPath()
{
    return FileSystem::stagingFolder() + FileSystem::nativeSeparator() +
           QLatin1String(ConverterFileName);
}
