#include "ConverterStaging.h"

#include "ConverterTool.h"
#include "PictureColour.h"
#include "platform/AppError.h"
#include "platform/KnownFolders.h"
#include "platform/RunRecord.h"
#include "platform/SafeFile.h"

namespace {
constexpr int StageAttempts = 3;
} // namespace

ConverterStaging::ConverterStaging() = default;
ConverterStaging::~ConverterStaging() = default;

void ConverterStaging::stage(const QByteArray &image)
{
    m_toolPath.clear();
    m_program.clear();
    const QString staging = FileSystem::stagingFolder();
    m_folder = staging;
    m_toolPath = ConverterToolPath();
    SafeFile::removeStaleWorkFolders(staging);
    if (!FileSystem::mayRunProgramsIn(staging)) {
        throw AppError(ErrorNumber::PermissionDenied,
                       QStringLiteral("Programs may not run from the folder %1 (its file system "
                                      "is mounted noexec), so the converter cannot start there. "
                                      "Set TEMP to a folder where programs may run")
                           .arg(staging));
    }
    m_work = std::make_unique<SafeFile::WorkFolder>(staging);
    // Once a locked work folder is there, so a note never points at a place with
    // no live batch that a clean-up could take the converter from.
    m_record = std::make_unique<SafeFile::RunRecord>(staging);
    if (!m_work->writeFile(QLatin1String(SrgbProfileName), srgbProfile())) {
        throw AppError(ErrorNumber::PathFileAccess,
                       QStringLiteral("Cannot write the colour profile in the work folder %1")
                           .arg(m_work->path()));
    }
    if (!placeTool(image)) {
        throw AppError(ErrorNumber::PermissionDenied,
                       QStringLiteral("The converter %1 may not be run: it must be a file of "
                                      "yours that nobody else can change")
                           .arg(m_toolPath));
    }
}

bool ConverterStaging::placeTool(const QByteArray &image)
{
    // The batch runs its own link to the staged file, so another instance that
    // removes the staged file at its end cannot take it away mid-batch.
    const QString own = m_work->path() + QLatin1Char('/') + QLatin1String(ConverterFileName);
    m_program = m_toolPath;
    for (int attempt = 0; attempt < StageAttempts; ++attempt) {
        if (!SafeFile::exists(m_toolPath)) {
            if (image.isEmpty())
                throw AppError(ErrorNumber::FileNotFound, QStringLiteral("Resource not found"));
            SafeFile::stageFileIfMissing(m_toolPath, image);
        }
        if (SafeFile::makeHardLink(m_toolPath, own)) {
            m_program = own;
            break;
        }
        if (SafeFile::exists(m_toolPath))
            break; // no links on this file system: run the staged file itself
    }
    return SafeFile::isPrivateExecutable(m_program);
}

bool ConverterStaging::restage()
{
    if (!m_work)
        return false;
    try {
        m_work->removeEntry(QLatin1String(ConverterFileName));
        return placeTool(loadConverterImage());
    } catch (const AppError &) {
        return false;
    }
}

void ConverterStaging::closeWorkFolder()
{
    m_work.reset();
    m_record.reset();
}
