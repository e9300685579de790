#include "Form1Layout.h"

#include "Form1.h"
#include "ProgressBar.h"
#include "PushButton.h"
#include "SizeSetOffer.h"
#include "WindowPointer.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHash>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Form1", text);
}
} // namespace

namespace {
enum class Kind
{
    List,
    Bar,
    Button,
    Frame,
    Option,
    Check,
    TextBox
};

struct Placement
{
    Kind kind;
    const char *name;
    const char *parent;
    int left, top, width, height; // twips, inside the parent
};

// In creation order, which is also the order the controls overlap in.
constexpr Placement Layout[] = {
    {Kind::List, "ListView1", "Form1", 120, 120, 7800, 2535},
    {Kind::Bar, "ProgressBar1", "Form1", 120, 7060, 7800, 405},
    {Kind::Button, "PushButton1", "Form1", 120, 2740, 3840, 405},
    {Kind::Button, "PushButton4", "Form1", 4080, 2740, 3840, 405},
    {Kind::Button, "PushButton2", "Form1", 120, 6540, 7800, 405},
    {Kind::Button, "PushButton6", "Form1", 120, 3250, 3840, 405},
    {Kind::Button, "PushButton7", "Form1", 4080, 3250, 3840, 405},
    {Kind::Frame, "Frame1", "Form1", 120, 3750, 7800, 765},
    {Kind::TextBox, "Text2", "Frame1", 5520, 250, 2055, 345},
    {Kind::Option, "Option1", "Frame1", 240, 300, 600, 255},
    {Kind::Option, "Option2", "Frame1", 840, 300, 600, 255},
    {Kind::Option, "Option3", "Frame1", 1440, 300, 600, 255},
    {Kind::Option, "Option4", "Frame1", 2040, 300, 600, 255},
    {Kind::Option, "Option7", "Frame1", 3960, 300, 1455, 255},
    {Kind::Option, "Option5", "Frame1", 2640, 300, 600, 255},
    {Kind::Option, "Option6", "Frame1", 3240, 300, 600, 255},
    {Kind::Frame, "Frame2", "Form1", 120, 4600, 7800, 1815},
    {Kind::Option, "Option9", "Frame2", 240, 1410, 3615, 255},
    {Kind::Option, "Option8", "Frame2", 240, 300, 3615, 255},
    {Kind::Frame, "Frame4", "Frame2", 480, 510, 6840, 810},
    {Kind::TextBox, "Text1", "Frame4", 240, 300, 5670, 345},
    {Kind::Button, "PushButton9", "Frame4", 6000, 300, 600, 345},
    // Not in the design: beside the last option, where the frame was empty.
    {Kind::Check, "Check1", "Frame2", 4080, 1410, 3480, 255},
    // Not in the design either: beside the first option, above the folder's frame.
    {Kind::TextBox, "Text3", "Frame2", 4080, 210, 3240, 285},
};

constexpr const char *TabOrder[] = {
    "ListView1",   "ProgressBar1", "PushButton1", "PushButton4", "PushButton2", "PushButton6",
    "PushButton7", "Frame1",       "Text2",       "Option1",     "Option2",     "Option3",
    "Option4",     "Option7",      "Option5",     "Option6",     "Frame2",      "Option9",
    "Option8",     "Frame4",       "Text1",       "PushButton9", "Check1",      "Text3"};

// Frames are an etched line on the window's white, as classic frames are; the
// style's own frame shades its inside grey.
class EtchedFrameStyle final : public QProxyStyle
{
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element != PE_FrameGroupBox)
            return QProxyStyle::drawPrimitive(element, option, painter, widget);
        const auto *frame = qobject_cast<const QGroupBox *>(widget);
        // The caption stands above the line, as the style places it.
        const int top = frame && !frame->title().isEmpty()
                            ? qMax(pixelMetric(PM_ExclusiveIndicatorHeight, option, widget),
                                   option->fontMetrics.height()) +
                                  3
                            : 0;
        const QRect line = option->rect.adjusted(0, top, -1, -1);
        // Shades of the face itself: a dark theme's own shades are near black.
        const QColor face = option->palette.color(QPalette::Window);
        painter->save();
        painter->setPen(face.darker(150));
        painter->drawRect(line.adjusted(0, 0, -1, -1));
        painter->setPen(face.lighter(150));
        painter->drawRect(line.adjusted(1, 1, 0, 0));
        painter->restore();
    }
};

// What a screen reader says for the controls whose captions do not name them.
struct Spoken
{
    const char *name;
    const char *accessibleName;
    const char *description;
};
constexpr Spoken SpokenNames[] = {
    {"ListView1", "Pictures to convert",
     "One path per row. Drop files or folders here; Delete or a double-click removes the "
     "selected row."},
    {"ProgressBar1", "Conversion progress", nullptr}, // its text, as it changes
    {"Text2", "User-defined size", nullptr},          // its tooltip describes it
    {"Text1", "Output folder", "The folder the icons are saved in"},
    {"Text3", "Kit background", "The colour under a kit's opaque files"},
    {"PushButton9", "Choose output folder", "Opens a folder picker for the output folder"},
};

// An option button's circle stands on the face, not on a box of the desktop's: it
// takes a light box's colours, or under a dark theme every empty circle is a dark
// dot that reads as chosen. Its caption keeps the face's colours.
QPalette lightIndicators(const QPalette &desktop)
{
    const QPalette light(QColor(0xef, 0xef, 0xef), Qt::white);
    QPalette own;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (const auto role :
             {QPalette::Base, QPalette::Text, QPalette::Button, QPalette::Light, QPalette::Midlight,
              QPalette::Mid, QPalette::Dark, QPalette::Shadow})
            own.setColor(group, role, light.color(group, role));
        // The desktop's accent still marks focus.
        own.setColor(group, QPalette::Highlight, desktop.color(group, QPalette::Highlight));
    }
    return own;
}

QString captionOf(const char *name)
{
    for (const ControlCaption &entry : Form1Captions)
        if (qstrcmp(entry.name, name) == 0)
            return tr(entry.caption);
    return {};
}

QFont arial(double points, bool bold = true)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QWidget *create(const Placement &p, QWidget *parent, WindowPointer &pointer)
{
    QWidget *w = nullptr;
    switch (p.kind) {
    case Kind::List:
        w = new FileListView(parent);
        w->setFont(arial(9));
        break;
    case Kind::Bar:
        w = new ProgressBar(parent);
        break;
    case Kind::Button:
        w = new PushButton(captionOf(p.name), parent);
        w->setFont(arial(11.25));
        pointer.watchButton(w);
        break;
    case Kind::Frame:
        w = new QGroupBox(captionOf(p.name), parent);
        pointer.watchFrame(w);
        break;
    case Kind::Option:
        w = new QRadioButton(captionOf(p.name), parent);
        w->setPalette(lightIndicators(QGuiApplication::palette()));
        break;
    case Kind::Check:
        w = new QCheckBox(captionOf(p.name), parent);
        w->setPalette(lightIndicators(QGuiApplication::palette()));
        break;
    case Kind::TextBox:
        w = new QLineEdit(parent);
        pointer.watchResetter(w);
        break;
    }
    w->setObjectName(QLatin1String(p.name));
    w->setGeometry(twipsToPixels(p.left), twipsToPixels(p.top), twipsToPixels(p.width),
                   twipsToPixels(p.height));
    return w;
}

template <class T> T *find(const QHash<QString, QWidget *> &made, const char *name)
{
    return static_cast<T *>(made.value(QLatin1String(name)));
}
} // namespace

int twipsToPixels(int twips)
{
    return int(std::lround(twips / 15.0));
}

QList<QRadioButton *> Form1Controls::sizeOptions() const
{
    return {Option[1], Option[2], Option[3], Option[4], Option[5], Option[6], Option[7]};
}

QList<QRadioButton *> Form1Controls::destinationOptions() const
{
    return {Option[8], Option[9]};
}

Form1Controls buildForm1Controls(QWidget &form, FileListModel &model, WindowPointer &pointer)
{
    form.setFixedSize(twipsToPixels(8040), twipsToPixels(7605));
    form.setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    form.setFont(arial(9));
    form.setMouseTracking(true);
    // The face is white whatever the desktop's palette, so what is written on it
    // (captions, option labels) is dark: a dark theme's light text would vanish.
    // Buttons, boxes and the list keep the desktop's colours; they paint their own.
    QPalette white = form.palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    white.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    form.setPalette(white);
    form.setAutoFillBackground(true);

    QHash<QString, QWidget *> made{{QStringLiteral("Form1"), &form}};
    for (const Placement &p : Layout)
        made.insert(QLatin1String(p.name), create(p, made.value(QLatin1String(p.parent)), pointer));

    Form1Controls c;
    c.ListView1 = find<FileListView>(made, "ListView1");
    c.ProgressBar1 = find<ProgressBar>(made, "ProgressBar1");
    c.PushButton1 = find<QPushButton>(made, "PushButton1");
    c.PushButton2 = find<QPushButton>(made, "PushButton2");
    c.PushButton4 = find<QPushButton>(made, "PushButton4");
    c.PushButton6 = find<QPushButton>(made, "PushButton6");
    c.PushButton7 = find<QPushButton>(made, "PushButton7");
    c.PushButton9 = find<QPushButton>(made, "PushButton9");
    c.Frame1 = find<QGroupBox>(made, "Frame1");
    c.Frame2 = find<QGroupBox>(made, "Frame2");
    c.Frame4 = find<QGroupBox>(made, "Frame4");
    c.Text1 = find<QLineEdit>(made, "Text1");
    c.Text2 = find<QLineEdit>(made, "Text2");
    c.Check1 = find<QCheckBox>(made, "Check1");
    c.Text3 = find<QLineEdit>(made, "Text3");
    for (int n = 1; n <= 9; ++n)
        c.Option[size_t(n)] =
            find<QRadioButton>(made, qPrintable(QStringLiteral("Option%1").arg(n)));

    c.ListView1->setModel(&model);
    // Beside its one column the header would show the face's white, which cuts a
    // dark header short.
    QPalette header;
    header.setColor(QPalette::Window, QGuiApplication::palette().color(QPalette::Button));
    c.ListView1->header()->setPalette(header);
    c.ListView1->setToolTip(QStringLiteral(
        "Drag and drop files here. Double-click item to remove it. Move | line to right and "
        "out of window to reveal full names."));
    c.Text2->setToolTip(
        tr("A size such as 100 or 128x64, or a list of sizes for one icon with a square picture "
           "for each, such as 16,24,32,48,256, or one of Windows' sets: press Down to choose"));
    offerSizeSets(*c.Text2);
    c.Check1->setToolTip(
        tr("Stores the entries of 48 px and up as PNG: much smaller files, which Windows, "
           "browsers and most programs show; GTK's file managers show the largest entry "
           "below 48 px instead"));
    c.Text3->setPlaceholderText(tr("Kit background: white"));
    c.Text3->setToolTip(tr("The colour under a kit's opaque files (the Apple touch icon, the "
                           "maskable and store icons): a name such as white or navy, or #rrggbb"));
    c.ProgressBar1->setValue(0);
    c.ProgressBar1->setAutoFillBackground(true); // opaque: repaints stay inside the bar
    c.ProgressBar1->setText(tr("Progress Bar"));
    c.ProgressBar1->setFocusPolicy(Qt::NoFocus);

    auto *frameStyle = new EtchedFrameStyle;
    frameStyle->setParent(&form);
    for (QGroupBox *frame : {c.Frame1, c.Frame2, c.Frame4})
        frame->setStyle(frameStyle);

    // Design-time state.
    c.Option[2]->setChecked(true);
    c.Option[8]->setChecked(true);
    c.Text2->setEnabled(false);

    for (const Spoken &spoken : SpokenNames) {
        QWidget *control = made.value(QLatin1String(spoken.name));
        control->setAccessibleName(QString::fromUtf8(spoken.accessibleName));
        if (spoken.description)
            control->setAccessibleDescription(QString::fromUtf8(spoken.description));
    }

    for (size_t i = 0; i + 1 < std::size(TabOrder); ++i)
        QWidget::setTabOrder(made.value(QLatin1String(TabOrder[i])),
                             made.value(QLatin1String(TabOrder[i + 1])));
    keepTabOnSelectedOption(c.sizeOptions());
    keepTabOnSelectedOption(c.destinationOptions());
    return c;
}

void keepTabOnSelectedOption(const QList<QRadioButton *> &group)
{
    for (QRadioButton *option : group)
        option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}
