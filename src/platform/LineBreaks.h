// The program's texts end lines with CR LF or a lone CR, as its reports always
// have; message boxes and terminals want LF.
#pragma once

#include <QString>

QString withLineFeeds(QString text);
