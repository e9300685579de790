#include "JobCheck.h"

#include "FailureReason.h"
#include "core/PathHelpers.h"
#include "platform/KitFolder.h"
#include "platform/KnownFolders.h"
#include "platform/SafeFile.h"

namespace {
QStringList identities(std::initializer_list<QString> texts)
{
    QStringList list;
    for (const QString &text : texts) {
        if (!text.isEmpty())
            list << text;
    }
    return list;
}
} // namespace

JobCheck JobCheck::forRow(const QString &source, const QString &output, const IconSize &size)
{
    JobCheck check;
    if (output.isEmpty()) {
        check.failure = {Failure::Reason::NoDestination, {}, {}};
        return check;
    }
    if (!size.isAccepted()) {
        check.failure = {Failure::Reason::SizeNotAccepted, {}, {}};
        return check;
    }
    check.failure = FailureReason::forSource(SafeFile::checkReadableFile(source));
    if (!check.failure.isNone())
        return check;
    if (size.kitParts() != 0) {
        const SafeFile::KitPlacing kit = SafeFile::checkKitFolder(output);
        if (kit.folderTaken)
            check.failure = {Failure::Reason::KitFolderTaken, FileNameOf(output), {}};
        else
            check.failure = FailureReason::forReplacing(kit.outcome, FileNameOf(output), {});
        check.target = output;
        check.replacing = SafeFile::exists(output);
        check.writes = identities({output});
        check.reads = identities({SafeFile::identityOf(source).valueOr({})});
        return check;
    }
    const SafeFile::Target target = SafeFile::resolveTarget(output);
    if (target.outcome != SafeFile::Outcome::Done) {
        check.failure = FailureReason::forReplacing(
            target.outcome, FileNameOf(output), target.path != output ? target.path : QString());
        return check;
    }
    // A file that cannot be looked at has no identity to collide with.
    const QString sourceIdentity = SafeFile::identityOf(source).valueOr({});
    const QString targetIdentity =
        target.exists ? SafeFile::identityOf(target.path).valueOr({}) : QString();
    if (!targetIdentity.isEmpty() && targetIdentity == sourceIdentity) {
        check.failure = {Failure::Reason::SameFile, {}, {}};
        return check;
    }
    check.target = target.path;
    check.replacing = target.exists;
    check.writes = identities({target.path, targetIdentity});
    check.reads = identities({sourceIdentity});
    return check;
}

QString outputPathFor(const QString &source, const Destination &destination,
                      const QString &previous)
{
    const QString sep = FileSystem::nativeSeparator();
    const QString iconName = StripExtension(FileNameOf(source)) + QStringLiteral(".ico");
    switch (destination.rule) {
    case Destination::Rule::Folder:
        return CollapseBackslashes(destination.folder + sep + iconName);
    case Destination::Rule::BesideSource:
        return CollapseBackslashes(FolderOf(source) + sep + iconName);
    case Destination::Rule::Previous:
        break;
    }
    return previous;
}

QString inputNameFor(int job)
{
    return QStringLiteral("in-%1").arg(job);
}

QString kitFolderFor(const QString &iconPath)
{
    return CollapseBackslashes(FolderOf(iconPath) + FileSystem::nativeSeparator() +
                               IconKit::folderName(StripExtension(FileNameOf(iconPath))));
}
