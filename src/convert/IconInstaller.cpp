#include "IconInstaller.h"

#include "FailureReason.h"
#include "IconCheck.h"
#include "platform/WorkSlot.h"

namespace {
constexpr qint64 LargestIconFile = 64 * 1024 * 1024;
} // namespace

QString installIcon(const ChildEnd &end, const SafeFile::WorkSlot &slot, const QString &target,
                    const IconSize &size)
{
    switch (end.how) {
    case ChildProcess::End::FailedToStart:
        return QLatin1String(FailureReason::ConverterNotStarted);
    case ChildProcess::End::Crashed:
        return QLatin1String(FailureReason::ConverterStopped);
    case ChildProcess::End::Exited:
        break;
    }
    if (end.exitCode != 0)
        return FailureReason::fromConverterOutput(end.errorOutput);
    // Only a well-formed icon holding the sizes asked for may replace what is there.
    const QByteArray icon = slot.output(LargestIconFile);
    if (!isWellFormedIcon(icon, size.sizes()))
        return QLatin1String(FailureReason::NoValidIcon);
    return FailureReason::forReplacing(SafeFile::replaceFile(target, icon, slot.outputPath()));
}
