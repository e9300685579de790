#include "WorkSlot.h"

#include "PosixIo.h"

#include <QFileInfo>
#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {
namespace {

QByteArray descriptorLink(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// Points `fd` at nothing, keeping its number.
void pointAtNothing(int fd)
{
    const UniqueFd null(open("/dev/null", O_RDONLY | O_CLOEXEC));
    // Failing, the number keeps the last job's source open until the next attach.
    if (null)
        static_cast<void>(dup3(null.get(), fd, O_CLOEXEC));
}

} // namespace

WorkSlot::WorkSlot(const WorkFolder &folder, int number) : m_folder(folder), m_number(number)
{
    // Without it the converter cannot keep its own files, and its failure says so.
    static_cast<void>(
        mkdirat(m_folder.descriptor(), jobFolderName(number).toUtf8().constData(), 0700));
    if (access("/proc/self/fd", X_OK) != 0)
        return;
    m_sourceFd.reset(open("/dev/null", O_RDONLY | O_CLOEXEC));
}

// Its names go with the work folder.
WorkSlot::~WorkSlot() = default;

QString WorkSlot::outputName(int number)
{
    return QStringLiteral("out-%1.ico").arg(number);
}

QString WorkSlot::sequencePattern(int number)
{
    return QStringLiteral("out-%1-%d.rgba").arg(number);
}

QByteArray WorkSlot::sequenceOutput(int index, qint64 limit) const
{
    return readFile(
               m_folder.path() + QLatin1Char('/') +
                   sequencePattern(m_number).replace(QStringLiteral("%d"), QString::number(index)),
               limit)
        .valueOr({});
}

QString WorkSlot::jobFolderName(int number)
{
    return QStringLiteral("tmp-%1").arg(number);
}

Outcome WorkSlot::attach(const QString &source, const QString &inputName)
{
    const int dir = m_folder.descriptor();
    if (!usesDescriptors()) {
        m_input = inputName;
        const QByteArray absolute = QFileInfo(source).absoluteFilePath().toUtf8();
        return symlinkat(absolute.constData(), dir, inputName.toUtf8().constData()) == 0
                   ? Outcome::Done
                   : Outcome::Failed;
    }
    // Not blocking: a FIFO put there since it was checked must not hold us.
    const UniqueFd fd(
        open(source.toUtf8().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd)
        return errno == ENXIO ? Outcome::NotRegular : outcomeFor(errno);
    struct stat st;
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return Outcome::NotRegular;
    if (dup3(fd.get(), m_sourceFd.get(), O_CLOEXEC) < 0)
        return outcomeFor(errno);
    if (!m_links.contains(inputName)) {
        if (symlinkat(descriptorLink(m_sourceFd.get()).constData(), dir,
                      inputName.toUtf8().constData()) != 0 &&
            errno != EEXIST)
            return Outcome::Failed;
        m_links.insert(inputName);
    }
    return Outcome::Done;
}

Outcome WorkSlot::attachExtra(const QString &source, const QString &inputName)
{
    const int dir = m_folder.descriptor();
    QByteArray target = QFileInfo(source).absoluteFilePath().toUtf8();
    if (usesDescriptors()) {
        UniqueFd fd(
            open(source.toUtf8().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
        if (!fd)
            return errno == ENXIO ? Outcome::NotRegular : outcomeFor(errno);
        struct stat st;
        if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
            return Outcome::NotRegular;
        target = descriptorLink(fd.get());
        m_extraFds.push_back(std::move(fd));
    }
    if (symlinkat(target.constData(), dir, inputName.toUtf8().constData()) != 0)
        return Outcome::Failed;
    m_extraNames << inputName;
    return Outcome::Done;
}

QByteArray WorkSlot::output(qint64 limit) const
{
    return readFile(outputPath(), limit).valueOr({});
}

Status WorkSlot::rewriteOutput(const QByteArray &bytes) const
{
    const UniqueFd fd(openat(m_folder.descriptor(), outputName().toUtf8().constData(),
                             O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return lastSysError();
    struct stat st;
    if (fstat(fd.get(), &st) != 0)
        return lastSysError();
    if (!S_ISREG(st.st_mode) || st.st_size != bytes.size())
        return Failed{SysError{EINVAL}}; // not what the child wrote
    return PosixIo::writeAll(fd.get(), bytes, 0);
}

QString WorkSlot::outputPath() const
{
    return m_folder.path() + QLatin1Char('/') + outputName();
}

QList<int> WorkSlot::inherited() const
{
    if (!usesDescriptors())
        return {};
    QList<int> fds{m_sourceFd.get()};
    for (const UniqueFd &fd : m_extraFds)
        fds << fd.get();
    return fds;
}

void WorkSlot::release()
{
    m_folder.removeEntry(outputName());
    const int written = std::exchange(m_sequence, 0);
    for (int i = 0; i < written; ++i)
        m_folder.removeEntry(
            sequencePattern(m_number).replace(QStringLiteral("%d"), QString::number(i)));
    for (const QString &name : std::as_const(m_extraNames))
        m_folder.removeEntry(name);
    m_extraNames.clear();
    m_extraFds.clear();
    if (usesDescriptors()) {
        pointAtNothing(m_sourceFd.get());
    } else if (!m_input.isEmpty()) {
        m_folder.removeEntry(m_input);
        m_input.clear();
    }
}

} // namespace SafeFile
