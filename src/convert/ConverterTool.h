// The converter staged from the program's own resource for the length of a batch.
#pragma once

#include <QByteArray>
#include <QString>

inline constexpr char ConverterFileName[] = "emfconvert.exe";

// The whole converter image; throws AppError when the resource is missing.
QByteArray loadConverterImage();
// The staging folder followed by the separator and "emfconvert.exe".
QString ConverterToolPath();
