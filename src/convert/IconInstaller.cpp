#include "IconInstaller.h"

#include "FailureReason.h"
#include "IconCheck.h"
#include "IconPack.h"
#include "core/PathHelpers.h"
#include "platform/WorkSlot.h"

namespace {
constexpr qint64 LargestIconFile = 64 * 1024 * 1024;
} // namespace

Failure installIcon(const ChildEnd &end, const SafeFile::WorkSlot &slot, const QString &iconName,
                    const IconSize &size, const QString &stagingFolder)
{
    switch (end.how) {
    case ChildProcess::End::FailedToStart:
        return {Failure::Reason::ConverterNotStarted, {}, {}};
    case ChildProcess::End::Crashed:
        return {Failure::Reason::ConverterStopped, {}, {}};
    case ChildProcess::End::Exited:
        break;
    }
    if (end.exitCode != 0)
        return FailureReason::fromConverterOutput(end.errorOutput, stagingFolder);
    // Only a well-formed icon holding the sizes asked for may replace what is there.
    const QByteArray icon = slot.output(LargestIconFile);
    if (!isWellFormedIcon(icon, size.sizes()))
        return {Failure::Reason::NoValidIcon, {}, {}};
    const auto replace = [&](const QByteArray &bytes, const QString &readyFile) {
        const SafeFile::Outcome outcome = SafeFile::replaceFile(iconName, bytes, readyFile);
        if (outcome == SafeFile::Outcome::Done)
            return Failure();
        // Only to name the link's end in the reason; nothing is written through it.
        const QString landed = SafeFile::resolveTarget(iconName).path;
        return FailureReason::forReplacing(outcome, FileNameOf(iconName),
                                           landed != iconName ? landed : QString());
    };
    if (isCanonicalIcon(icon)) {
        const QByteArray masked = withMasksFromAlpha(icon);
        // Moved in as it is when it can hold the new masks; written anew otherwise.
        const bool ready = masked == icon || slot.rewriteOutput(masked);
        return replace(masked, ready ? slot.outputPath() : QString());
    }
    // Another ImageMagick wrote another shape: the same pictures, re-packed and
    // checked again, take the icon's place.
    const auto packed = repackIcon(icon);
    if (!packed || !isWellFormedIcon(*packed, size.sizes()) || !isCanonicalIcon(*packed))
        return {Failure::Reason::NoValidIcon, {}, {}};
    return replace(*packed, QString());
}
