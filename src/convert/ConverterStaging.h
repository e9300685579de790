// A batch's converter: the staged copy of our own image, and the batch's private
// work folder holding the link it runs.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace SafeFile {
class WorkFolder;
class RunRecord;
} // namespace SafeFile

class ConverterStaging
{
public:
    ConverterStaging();
    ~ConverterStaging();
    ConverterStaging(const ConverterStaging &) = delete;
    ConverterStaging &operator=(const ConverterStaging &) = delete;

    // Makes the work folder and stages the converter from `image`; throws AppError
    // when either cannot be had or the staged file may not be run.
    void stage(const QByteArray &image);
    // Stages it again after it vanished under us (another instance's end).
    [[nodiscard]] bool restage();
    // Removes the work folder and everything in it.
    void closeWorkFolder();

    const QString &toolPath() const { return m_toolPath; }
    // The folder the converter and the work folder are staged in.
    const QString &folder() const { return m_folder; }
    // What the children run: the batch's own link, or the staged file itself.
    const QString &program() const { return m_program; }
    SafeFile::WorkFolder *workFolder() const { return m_work.get(); }

private:
    [[nodiscard]] bool placeTool(const QByteArray &image);

    std::unique_ptr<SafeFile::WorkFolder> m_work;
    std::unique_ptr<SafeFile::RunRecord> m_record; // where we stage, for after a kill
    QString m_folder;
    QString m_toolPath;
    QString m_program;
};
