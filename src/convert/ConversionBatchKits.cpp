// A kit's end: the child's drawings become the kit's files on a worker, and only when
// every file is made are they put into the kit's folder.
#include "ConversionBatch.h"

#include "FailureReason.h"
#include "IconInstaller.h"
#include "core/PathHelpers.h"
#include "core/SvgDocument.h"
#include "platform/KitFolder.h"
#include "platform/SafeFile.h"
#include "platform/WorkSlot.h"

#include <algorithm>

namespace {
constexpr qint64 LargestDrawing = 64 * 1024 * 1024;

Failure placingFailure(const SafeFile::KitPlacing &placing, const QString &folder)
{
    if (placing.folderTaken)
        return {Failure::Reason::KitFolderTaken, FileNameOf(folder), {}};
    return FailureReason::forReplacing(placing.outcome, FileNameOf(folder), {});
}
} // namespace

void ConversionBatch::kitEnded(const Job &job, const ChildEnd &end)
{
    const SafeFile::WorkSlot &slot = *m_slots[size_t(job.slot)];
    Failure failure = converterEndFailure(end, m_staging.folder());
    KitMaterial material;
    material.sizes = m_request->size.sizes();
    for (qsizetype i = 0; failure.isNone() && i < material.sizes.size(); ++i) {
        material.drawings << slot.sequenceOutput(int(i), LargestDrawing);
        if (material.drawings.last().isEmpty())
            failure = {Failure::Reason::NoValidIcon, {}, {}};
    }
    if (failure.isNone() && job.vector) {
        const Result<QByteArray> read =
            SafeFile::readFile(job.source, SvgDocument::DrawingLimits.textBytes);
        if (!read || read->isEmpty())
            failure = {Failure::Reason::SourceUnreadable, {}, {}};
        else
            material.svgSource = *read;
    }
    releaseSlot(job.slot);
    if (!failure.isNone()) {
        for (const PictureInput &own : std::as_const(job.perSize)) {
            if (FailureReason::isAbout(end.errorOutput, own.name))
                failure = failure.about(FileNameOf(own.path));
        }
        m_installing.removeIf([id = job.id](const Job &other) { return other.id == id; });
        finish(job, failure, end.how != ChildProcess::End::FailedToStart);
        dispatch();
        return;
    }
    const KitOptions options{m_request->size.kitParts(), job.base, m_request->background,
                             m_request->packing};
    m_compactor.makeKit(options, material,
                        [this, id = job.id,
                         batch = m_batchNumber](const std::optional<QList<KitFileBytes>> &files) {
                            if (batch == m_batchNumber)
                                kitMade(id, files);
                        });
}

void ConversionBatch::kitMade(int id, const std::optional<QList<KitFileBytes>> &files)
{
    const std::optional<Job> installing = takeInstalling(id);
    if (!installing)
        return;
    const Job &job = *installing;
    Failure failure = {Failure::Reason::NoValidIcon, {}, {}};
    if (files) {
        QList<SafeFile::KitFile> kit;
        for (const KitFileBytes &file : *files)
            kit.append({file.path, file.bytes});
        failure = placingFailure(SafeFile::placeKit(job.icon, kit), job.icon);
    }
    finish(job, failure, true);
    dispatch();
}
