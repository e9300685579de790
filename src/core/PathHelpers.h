// Splitting and tidying paths, and the file procedures every part of the program uses.
// The splitters take a flavour: the program uses the native one, tests use both.
#pragma once

#include <QByteArray>
#include <QString>

class RowSource;

enum class PathFlavour
{
    Windows,
    Posix
};

#ifdef Q_OS_WIN
inline constexpr PathFlavour NativeFlavour = PathFlavour::Windows;
#else
inline constexpr PathFlavour NativeFlavour = PathFlavour::Posix;
#endif

QChar separatorOf(PathFlavour flavour);

QString FileNameOf(const QString &path, PathFlavour flavour = NativeFlavour);
QString FolderOf(const QString &path, PathFlavour flavour = NativeFlavour);
QString StripExtension(const QString &name);
QString CollapseBackslashes(const QString &path, PathFlavour flavour = NativeFlavour);

bool PathExists(const QString &path);
bool IsFolder(const QString &path);
void DeleteFileSafe(const QString &path);
void ForceDeleteFile(const QString &path);
// Throws AppError when the file cannot be created or written.
void WriteFileIfMissing(const QByteArray &bytes, const QString &path);
bool ListContains(const RowSource &list, const QString &text);
