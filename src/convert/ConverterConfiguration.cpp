#include "ConverterConfiguration.h"

#include "platform/ProcessLimits.h"
#include "platform/WorkFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>

namespace {
// Far more than any icon's artwork needs, and far less than a picture made to exhaust
// the machine takes (a large embedded picture: gigabytes).
constexpr quint64 DrawingMemoryBytes = 1024ULL * 1024 * 1024;

QString systemProgram(const QString &name)
{
    QString system = QStringLiteral("/usr/bin/") + name;
    if (QFileInfo(system).isExecutable())
        return system;
    return QStandardPaths::findExecutable(name);
}
} // namespace

QByteArray converterDelegates(const QString &rsvgConvert, const QString &memoryLimiter)
{
    // %w and %h are the "-size" given before the picture; "-a" fits it in that box.
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<delegatemap>\n"
                          "  <delegate decode=\"qrsvg\" command=\"%1&quot;%2&quot; -w %w -h %h "
                          "-a -b none -o &quot;%o&quot; &quot;%i&quot;\"/>\n"
                          "</delegatemap>\n")
        .arg(memoryLimiter.toHtmlEscaped(), rsvgConvert.toHtmlEscaped())
        .toUtf8();
}

QString drawingMemoryLimiter()
{
    // No shell: ImageMagick runs a command without one when it holds no shell syntax.
    const QString prlimit = systemProgram(QStringLiteral("prlimit"));
    const std::optional<quint64> ceiling = ProcessLimits::addressSpaceCeiling();
    if (prlimit.isEmpty() || (ceiling && *ceiling <= DrawingMemoryBytes))
        return {};
    return QStringLiteral("\"%1\" --as=%2 -- ").arg(prlimit).arg(DrawingMemoryBytes);
}

QStringList converterJobFolder(const QString &folderName)
{
    // Relative to the work folder the converter runs in.
    return {QStringLiteral("-define"), QStringLiteral("registry:temporary-path=") + folderName};
}

QString rsvgConvertPath()
{
    const QString found = systemProgram(QStringLiteral("rsvg-convert"));
    return found.isEmpty() ? QStringLiteral("/usr/bin/rsvg-convert") : found;
}

int oneJobPerCore()
{
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
            file.write(converterDelegates(rsvgConvertPath(), drawingMemoryLimiter())) > 0)
            environment << QStringLiteral("MAGICK_CONFIGURE_PATH=") + work->path();
    }
    return environment;
}
