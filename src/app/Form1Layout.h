// The main window's controls: each one's place, caption, font and tab stop, built
// from one table so that the window's code reads as its handlers.
#pragma once

#include <QList>
#include <array>

class FileListModel;
class FileListView;
class QCheckBox;
class ProgressBar;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;
class WindowPointer;

struct Form1Controls
{
    FileListView *ListView1 = nullptr;
    ProgressBar *ProgressBar1 = nullptr;
    QPushButton *PushButton1 = nullptr;
    QPushButton *PushButton2 = nullptr;
    QPushButton *PushButton4 = nullptr;
    QPushButton *PushButton6 = nullptr;
    QPushButton *PushButton7 = nullptr;
    QPushButton *PushButton9 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QGroupBox *Frame4 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QCheckBox *Check1 = nullptr;             // the compact form
    QLineEdit *Text3 = nullptr;              // a kit's background colour
    std::array<QRadioButton *, 10> Option{}; // 1..9

    // The option buttons that make one choice together.
    QList<QRadioButton *> sizeOptions() const;
    QList<QRadioButton *> destinationOptions() const;
};

// Builds every control inside `form` (whose size, font and colours it sets too),
// with the hover rules of `pointer`.
Form1Controls buildForm1Controls(QWidget &form, FileListModel &model, WindowPointer &pointer);

// Only the selected option of a group is a tab stop, so that Tab then Space never
// changes a setting; call again whenever the selection changes.
void keepTabOnSelectedOption(const QList<QRadioButton *> &group);

// Layout is given in twips; 15 twips are one pixel.
int twipsToPixels(int twips);
