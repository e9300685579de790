// The program's command line: `--convert` and the other terminal options, or the
// paths that the window starts with.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <optional>

struct CliOptions
{
    enum class Action
    {
        Window,
        Convert,
        Help,
        Version,
        Preview, // the icon preview of one picture or icon file, in a window
        UsageError
    };

    Action action = Action::Window;
    QStringList paths;
    std::optional<QString> size;
    std::optional<bool> compact; // --compact or --no-compact
    std::optional<QColor> background;
    std::optional<QString> toFolder;
    bool beside = false;
    QString extension = QStringLiteral("png");
    std::optional<int> jobs;
    QString error; // what was wrong, for UsageError
};

// Whether the arguments hold one of the terminal's own options. Decided on the raw
// arguments, before any application object exists: the terminal road must not
// touch the window system at all.
bool wantsTerminal(const QStringList &arguments);

// `arguments` as the application gives them, the program's name first.
// QUORBEL_JOBS, when it holds a number of conversions at once (1 or more).
std::optional<int> jobsVariable();
CliOptions parseCommandLine(const QStringList &arguments);

QString helpText();
QString versionText();
