// How the converter is started: the command-line text users and logs know, and
// the argument list that really starts it.
#pragma once

#include <QString>
#include <QStringList>

// Splits text into arguments the way Windows programs split their command line.
QStringList splitWindowsArguments(const QString &text);

// ImageMagick expands printf patterns in output names; "%%" is a literal "%".
QString protectFromPrintfPatterns(const QString &path);

// The arguments that say which size (or sizes) the icon gets: "-resize" and the
// split size text when a size was chosen. The one place a size list would grow.
QStringList sizeArguments(bool withSize, const QString &sizeText);

// The converter's arguments: source, the size arguments, then the output path;
// each path exactly one argument.
QStringList converterArguments(const QString &source, bool withSize, const QString &sizeText,
                               const QString &output);
