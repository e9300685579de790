#include "ConverterConfiguration.h"

#include "platform/WorkFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>

QByteArray converterDelegates(const QString &rsvgConvert)
{
    const QString program = rsvgConvert.toHtmlEscaped();
    // %w and %h are the "-size" given before the picture; "-a" fits it in that box.
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<delegatemap>\n"
                          "  <delegate decode=\"qrsvg\" command=\"&quot;%1&quot; -w %w -h %h "
                          "-a -b none -o &quot;%o&quot; &quot;%i&quot;\"/>\n"
                          "</delegatemap>\n")
        .arg(program)
        .toUtf8();
}

QString rsvgConvertPath()
{
    QString system = QStringLiteral("/usr/bin/rsvg-convert");
    if (QFileInfo(system).isExecutable())
        return system;
    const QString found = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
    return found.isEmpty() ? system : found;
}

int converterJobCount()
{
    bool ok = false;
    const int jobs = qEnvironmentVariableIntValue("QUORBEL_JOBS", &ok);
    if (ok && jobs > 0)
        return jobs;
    return std::max(1, QThread::idealThreadCount());
}

QStringList converterEnvironment(const SafeFile::WorkFolder *work, int jobs)
{
    QStringList environment;
    // With a child on every core, ImageMagick's own threads only fight over them.
    if (jobs > 1 && !qEnvironmentVariableIsSet("MAGICK_THREAD_LIMIT"))
        environment << QStringLiteral("MAGICK_THREAD_LIMIT=1");
    if (work) {
        // ImageMagick's pixel caches and its helpers' files go where the batch's
        // clean-up (or the next start after a kill) removes them; the first of these
        // names wins over the others, also when the user's environment has it.
        environment << work->childMarker()
                    << QStringLiteral("MAGICK_TEMPORARY_PATH=") + work->path()
                    << QStringLiteral("MAGICK_TMPDIR=") + work->path()
                    << QStringLiteral("TMPDIR=") + work->path();
        QFile file(work->path() + QStringLiteral("/delegates.xml"));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
            file.write(converterDelegates(rsvgConvertPath())) > 0)
            environment << QStringLiteral("MAGICK_CONFIGURE_PATH=") + work->path();
    }
    return environment;
}
