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
                    const IconSize &size, IcoFile::Packing packing, const QString &stagingFolder)
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
        return FailureReason::forReplacing(SafeFile::replaceFile(iconName, bytes, readyFile),
                                           FileNameOf(iconName));
    };
    const bool canonical = isCanonicalIcon(icon);
    // Another ImageMagick wrote another shape: the same pictures, re-packed and
    // checked again, take the icon's place.
    const auto standard = canonical ? std::optional(withMasksFromAlpha(icon)) : repackIcon(icon);
    if (!standard || !isWellFormedIcon(*standard, size.sizes()) || !isCanonicalIcon(*standard))
        return {Failure::Reason::NoValidIcon, {}, {}};
    if (packing == IcoFile::Packing::Compact) {
        const auto compact = compactIcon(*standard);
        if (!compact || !isWellFormedIcon(*compact, size.sizes()) ||
            !isCanonicalIcon(*compact, packing))
            return {Failure::Reason::NoValidIcon, {}, {}};
        return replace(*compact, QString());
    }
    // Moved in as it is when it can hold the new masks; written anew otherwise.
    const bool ready = canonical && (*standard == icon || slot.rewriteOutput(*standard));
    return replace(*standard, ready ? slot.outputPath() : QString());
}
