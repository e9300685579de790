// The words both clients give the batch's reports: the window and the terminal say
// them alike, each with its own line breaks and its own way of showing a path.
#pragma once

#include "Failure.h"

#include <QString>
#include <QStringList>

// How many failed files a summary names before "... and N more.".
inline constexpr int ListedFailures = 10;

// The short reason shown after a failed file's path; empty for a converted file.
QString failureText(const Failure &failure);
// What the user is told when a batch is refused.
QString refusalText(BatchRefusal why);
// "Done." (or "Stopped." and how many were converted before) and, when files failed,
// how many and the first of `failedLines` (each failed file as the client shows it, in
// list order), lines joined by `lineBreak`.
QString summaryText(bool stopped, qsizetype converted, qsizetype total,
                    const QStringList &failedLines, const QString &lineBreak);
