// The optional skin: a style sheet beside the program that recolours the window.
#pragma once

#include <QString>

class QWidget;

// Applies "x/o.cjs" of the application folder when it is a plain visible file;
// throws AppError when it cannot be read or is not UTF-8 text.
void ApplySkin(QWidget &window, const QString &applicationFolder);
