// The example images of the Samples folder beside the program.
#pragma once

#include <QString>

class Dialogs;
class RowList;
class Settings;
class QWidget;

// Records the sample files present now as setting "Snapshot".
void RecordSampleFiles(Settings &settings, const QString &applicationFolder);

// Lists the recorded samples that still exist and are not listed yet, then offers
// to open the folder. Throws AppError on failure.
void LoadSampleFiles(RowList &list, Settings &settings, Dialogs &dialogs, QWidget *owner,
                     const QString &title, const QString &applicationFolder);

QString SampleQuestion();
