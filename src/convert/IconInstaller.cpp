#include "IconInstaller.h"

#include "FailureReason.h"
#include "IconCheck.h"
#include "IconPack.h"
#include "core/PathHelpers.h"
#include "platform/WorkSlot.h"

namespace {
constexpr qint64 LargestIconFile = 64 * 1024 * 1024;

CheckedIcon failed(Failure::Reason reason)
{
    return {{reason, {}, {}}, {}, {}};
}
} // namespace

Failure converterEndFailure(const ChildEnd &end, const QString &stagingFolder)
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
    return {};
}

CheckedIcon checkIcon(const ChildEnd &end, const SafeFile::WorkSlot &slot, const IconSize &size,
                      const QString &stagingFolder)
{
    if (Failure failure = converterEndFailure(end, stagingFolder); !failure.isNone())
        return {failure, {}, {}};
    // Only a well-formed icon holding the sizes asked for may replace what is there.
    const QByteArray icon = slot.output(LargestIconFile);
    if (!isWellFormedIcon(icon, size.sizes()))
        return failed(Failure::Reason::NoValidIcon);
    if (isCanonicalIcon(icon)) {
        const QByteArray masked = withMasksFromAlpha(icon);
        // Moved in as it is when it can hold the new masks; written anew otherwise.
        const bool ready = masked == icon || slot.rewriteOutput(masked).ok();
        return {{}, masked, ready ? slot.outputPath() : QString()};
    }
    // Another ImageMagick wrote another shape: the same pictures, re-packed and
    // checked again, take the icon's place.
    const auto packed = repackIcon(icon);
    if (!packed || !isWellFormedIcon(*packed, size.sizes()) || !isCanonicalIcon(*packed))
        return failed(Failure::Reason::NoValidIcon);
    return {{}, *packed, {}};
}

std::optional<QByteArray> compactChecked(const QByteArray &icon, const QList<int> &sizes)
{
    auto compact = compactIcon(icon);
    if (!compact || !isWellFormedIcon(*compact, sizes) ||
        !isCanonicalIcon(*compact, IcoFile::Packing::Compact))
        return std::nullopt;
    return compact;
}

Failure placeIcon(const QString &iconName, const QByteArray &bytes, const QString &readyFile)
{
    const SafeFile::Outcome outcome = SafeFile::replaceFile(iconName, bytes, readyFile);
    if (outcome == SafeFile::Outcome::Done)
        return {};
    // Only to name the link's end in the reason; nothing is written through it.
    const QString landed = SafeFile::resolveTarget(iconName).path;
    return FailureReason::forReplacing(outcome, FileNameOf(iconName),
                                       landed != iconName ? landed : QString());
}
