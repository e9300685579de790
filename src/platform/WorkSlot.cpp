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
    const int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null >= 0) {
        dup3(null, fd, O_CLOEXEC);
        close(null);
    }
}

} // namespace

WorkSlot::WorkSlot(const WorkFolder &folder, int number) : m_folder(folder), m_number(number)
{
    mkdirat(m_folder.descriptor(), jobFolderName(number).toUtf8().constData(), 0700);
    if (access("/proc/self/fd", X_OK) != 0)
        return;
    m_sourceFd = open("/dev/null", O_RDONLY | O_CLOEXEC);
}

// Its names go with the work folder.
WorkSlot::~WorkSlot()
{
    if (m_sourceFd >= 0)
        close(m_sourceFd);
    for (const int fd : std::as_const(m_extraFds))
        close(fd);
}

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
        limit);
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
    const int fd = open(source.toUtf8().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return errno == ENXIO ? Outcome::NotRegular : outcomeFor(errno);
    struct stat st;
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (regular)
        dup3(fd, m_sourceFd, O_CLOEXEC);
    close(fd);
    if (!regular)
        return Outcome::NotRegular;
    if (!m_links.contains(inputName)) {
        if (symlinkat(descriptorLink(m_sourceFd).constData(), dir,
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
        const int fd =
            open(source.toUtf8().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0)
            return errno == ENXIO ? Outcome::NotRegular : outcomeFor(errno);
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            close(fd);
            return Outcome::NotRegular;
        }
        m_extraFds << fd;
        target = descriptorLink(fd);
    }
    if (symlinkat(target.constData(), dir, inputName.toUtf8().constData()) != 0)
        return Outcome::Failed;
    m_extraNames << inputName;
    return Outcome::Done;
}

QByteArray WorkSlot::output(qint64 limit) const
{
    return readFile(outputPath(), limit);
}

bool WorkSlot::rewriteOutput(const QByteArray &bytes) const
{
    const int fd = openat(m_folder.descriptor(), outputName().toUtf8().constData(),
                          O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    int err = 0;
    const bool done = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size == bytes.size() &&
                      PosixIo::writeAll(fd, bytes, 0, &err);
    close(fd);
    return done;
}

QString WorkSlot::outputPath() const
{
    return m_folder.path() + QLatin1Char('/') + outputName();
}

QList<int> WorkSlot::inherited() const
{
    if (!usesDescriptors())
        return {};
    return QList<int>{m_sourceFd} + m_extraFds;
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
    for (const int fd : std::as_const(m_extraFds))
        close(fd);
    m_extraFds.clear();
    if (usesDescriptors()) {
        pointAtNothing(m_sourceFd);
    } else if (!m_input.isEmpty()) {
        m_folder.removeEntry(m_input);
        m_input.clear();
    }
}

} // namespace SafeFile
