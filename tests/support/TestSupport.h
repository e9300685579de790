// Fakes and small helpers shared by the suites.
#pragma once

#include "core/ErrorTrap.h"
#include "core/RowSource.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QQueue>
#include <QStringList>
#include <QTest>
#include <cmath>
#include <functional>
#include <unistd.h>
#include <zlib.h>

struct ShownMessage
{
    QString text;
    QString title;
    Dialogs::Icon icon;
    QString details;
    FolderOffer offer;
};

// Dialogs that answer from queues and remember what they were shown.
class FakeDialogs final : public Dialogs
{
public:
    QList<ShownMessage> messages;
    QQueue<bool> yesNoAnswers;
    QQueue<QString> inputAnswers;
    QQueue<QString> folderAnswers;
    QQueue<QStringList> openFilesAnswers;
    bool openFilesTooMany = false;
    QStringList prompts;
    QStringList startFolders;
    QStringList openedFolders;
    std::function<void()> onMessage;
    bool showFolderPressed = false; // the answer to a message's "Show Folder"

    void message(QWidget *, const QString &text, const QString &title, Icon icon,
                 const QString &details = {}, const FolderOffer &offer = {}) override
    {
        messages.append({text, title, icon, details, offer});
        if (onMessage)
            onMessage();
        if (showFolderPressed && !offer.folder.isEmpty())
            openFolder(offer.folder);
    }
    bool askYesNo(QWidget *, const QString &text, const QString &title) override
    {
        messages.append({text, title, Icon::None, {}, {}});
        return yesNoAnswers.isEmpty() ? false : yesNoAnswers.dequeue();
    }
    QString inputBox(QWidget *, const QString &prompt, const QString &,
                     const QString &defaultText) override
    {
        prompts << prompt;
        return inputAnswers.isEmpty() ? defaultText : inputAnswers.dequeue();
    }
    QString browseForFolder(QWidget *, const QString &prompt, const QString &startFolder) override
    {
        prompts << prompt;
        startFolders << startFolder;
        return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
    }
    QStringList openFiles(QWidget *, const QString &title, const QString &) override
    {
        prompts << title;
        if (openFilesTooMany)
            throw AppError(ErrorNumber::SelectionTooLarge, QStringLiteral("Buffer too small"));
        return openFilesAnswers.isEmpty() ? QStringList() : openFilesAnswers.dequeue();
    }
    void openFolder(const QString &path) override { openedFolders << path; }

    QStringList texts() const
    {
        QStringList all;
        for (const ShownMessage &m : messages)
            all << m.text;
        return all;
    }
};

using Rows = RowsInMemory;

class FakeReporter final : public ErrorReporter
{
public:
    QStringList reports;
    void showErrorReport(const QString &text) override { reports << text; }
};

// A PNG with a transparent corner and an opaque disc.
// How far two pictures differ: RMS over premultiplied RGBA, 0 to 255 (255 when
// their sizes differ).
inline double rmsError(QImage a, QImage b)
{
    a = a.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    b = b.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (a.isNull() || a.size() != b.size())
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width() * 4; ++x) {
            const double d = a.constScanLine(y)[x] - b.constScanLine(y)[x];
            sum += d * d;
        }
    }
    return std::sqrt(sum / (a.width() * a.height() * 4.0));
}

inline bool makePng(const QString &path, int width, int height)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setBrush(QColor(200, 40, 40));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRect(width / 8, height / 8, width * 3 / 4, height * 3 / 4));
    painter.end();
    return image.save(path, "PNG");
}

inline QByteArray bigEndian32(quint32 n)
{
    QByteArray bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes += char(n >> shift);
    return bytes;
}

// One PNG chunk: length, type, data and checksum.
inline QByteArray pngChunk(const char *type, const QByteArray &data)
{
    const QByteArray body = QByteArray(type) + data;
    return bigEndian32(quint32(data.size())) + body +
           bigEndian32(quint32(
               crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))));
}

// The PNG with one more chunk right after its header, where colour chunks stand.
inline QByteArray withPngChunk(const QByteArray &png, const char *type, const QByteArray &data)
{
    constexpr qsizetype HeaderEnd = 8 + 25; // signature and IHDR
    return png.left(HeaderEnd) + pngChunk(type, data) + png.mid(HeaderEnd);
}

// A grey PNG of any size, made without holding its pixels; black unless `white`.
inline QByteArray greyPng(quint32 width, quint32 height, bool white = false)
{
    const QByteArray header =
        bigEndian32(width) + bigEndian32(height) + QByteArray("\x08\x00\x00\x00\x00", 5);
    QByteArray rows;
    const QByteArray row = '\0' + QByteArray(width, white ? '\xff' : '\0');
    for (quint32 y = 0; y < height; ++y)
        rows += row;
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
           pngChunk("IDAT", qCompress(rows, 9).mid(4)) + pngChunk("IEND", {});
}

// An SVG of `side` pixels that draws `inside` (elements).
inline QByteArray svgDrawing(const QByteArray &inside, int side = 64)
{
    return "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
           "xmlns:xi='http://www.w3.org/2001/XInclude' width='" +
           QByteArray::number(side) + "' height='" + QByteArray::number(side) + "'>" + inside +
           "</svg>";
}

inline QByteArray svgEmbedding(const QByteArray &png)
{
    return svgDrawing("<image width='64' height='64' xlink:href='data:image/png;base64," +
                      png.toBase64() + "'/>");
}

inline void writeFile(const QString &path, const QByteArray &bytes,
                      QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
    file.close();
    file.setPermissions(permissions);
}

// The user's own settings store is kept under `folder`, as XDG_CONFIG_HOME directs.
inline void keepSettingsIn(const QString &folder)
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A stand-in converter: a shell script, private to us as the runner demands.
inline void writeScript(const QString &path, const QByteArray &body)
{
    writeFile(path, "#!/bin/sh\n" + body + "\n",
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Permission cases must meet a refusal also where the suites run as root (CI):
// runs the current test function again in a child without root's override of
// file permissions (and without the `also` capabilities, as "-fowner"). Answers
// the child's exit code (0: passed; 999: crashed), or -1 when this process needs
// no child and should run the test itself.
inline int rerunWithoutPermissionOverride(const QString &also = QString())
{
    const char *marker = "QUORBEL_WITHOUT_OVERRIDE";
    if (geteuid() != 0 || qEnvironmentVariableIsSet(marker))
        return -1;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(marker), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QStringLiteral("setpriv"),
                {QStringLiteral("--bounding-set"),
                 QStringLiteral("-dac_override,-dac_read_search") +
                     (also.isEmpty() ? QString() : QLatin1Char(',') + also),
                 QStringLiteral("--"), QCoreApplication::applicationFilePath(),
                 QString::fromLatin1(QTest::currentTestFunction()) +
                     (QTest::currentDataTag()
                          ? QStringLiteral(":") + QString::fromLocal8Bit(QTest::currentDataTag())
                          : QString())});
    if (!child.waitForFinished(240000))
        return 998;
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 999;
}
