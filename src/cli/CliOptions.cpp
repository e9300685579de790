#include "CliOptions.h"

#include "convert/IconKit.h"
#include "convert/IconKitFiles.h"
#include "convert/SizeList.h"
#include <QCommandLineParser>
#include <QCoreApplication>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("Terminal", text);
}
} // namespace

namespace {
const QStringList LongNames = {
    QStringLiteral("convert"),    QStringLiteral("size"),       QStringLiteral("compact"),
    QStringLiteral("no-compact"), QStringLiteral("background"), QStringLiteral("to"),
    QStringLiteral("beside"),     QStringLiteral("ext"),        QStringLiteral("jobs"),
    QStringLiteral("help"),       QStringLiteral("version")};

struct Grammar
{
    QCommandLineParser parser;
    QCommandLineOption convert{QStringLiteral("convert"),
                               tr("Convert without a window, then exit.")};
    QCommandLineOption size{QStringLiteral("size"),
                            tr("Icon size: 16, 24, 32, 48, 64, 72 or any number up "
                               "to 256 (one square entry), a size the converter "
                               "takes as typed (128x64), a list (16,32,48,256), or "
                               "a set's name (below), alone or in a list."),
                            QStringLiteral("S")};
    QCommandLineOption compact{QStringLiteral("compact"),
                               tr("Store the entries of 48 px and up as PNG: a far "
                                  "smaller file, which GTK shows by its largest smaller "
                                  "entry (see README).")};
    QCommandLineOption noCompact{QStringLiteral("no-compact"),
                                 tr("Store every entry below 256 px as a bitmap, which "
                                    "every reader shows.")};
    QCommandLineOption background{QStringLiteral("background"),
                                  tr("Colour under a kit's opaque files: a name (white, navy) "
                                     "or #rrggbb (default white)."),
                                  QStringLiteral("COLOUR")};
    QCommandLineOption to{QStringLiteral("to"), tr("Save the icons in DIR."),
                          QStringLiteral("DIR")};
    QCommandLineOption beside{QStringLiteral("beside"), tr("Save each icon beside its picture.")};
    QCommandLineOption ext{QStringLiteral("ext"),
                           tr("In folders, convert the files with extension EXT "
                              "(default png; * for every file)."),
                           QStringLiteral("EXT")};
    QCommandLineOption jobs{QStringLiteral("jobs"),
                            tr("Run at most N conversions at once (default: one "
                               "per core)."),
                            QStringLiteral("N")};
    QCommandLineOption preview{QStringLiteral("preview"),
                               tr("Open the icon preview of FILE: a picture as the saved size "
                                  "choice makes it, or an icon file as it is."),
                               QStringLiteral("FILE")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            tr("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               tr("Show the version and exit.")};

    Grammar()
    {
        parser.setApplicationDescription(
            tr("Converts PNG images into Windows icon files.\n\n"
               "  quorbel [PATH...]                    open the window with PATHs listed\n"
               "  quorbel --convert [options] PATH...  convert from a terminal, no display "
               "needed\n\n"
               "A folder PATH stands for the files of its whole tree. Options left out take the\n"
               "window's saved choices; a terminal run never changes them. So without --to or\n"
               "--beside the icons go where the window saves them (its saved folder, at first\n"
               "the desktop), replacing icons of the same name; the run says where first."));
        parser.addOptions({convert, size, compact, noCompact, background, to, beside, ext, jobs,
                           preview, help, version});
        parser.addPositionalArgument(QStringLiteral("PATH"),
                                     tr("A picture, or a folder of pictures."),
                                     QStringLiteral("PATH..."));
    }
};

CliOptions usageError(const QString &text)
{
    CliOptions options;
    options.action = CliOptions::Action::UsageError;
    options.error = text;
    return options;
}
} // namespace

bool wantsTerminal(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--"))
            return false;
        if (argument == QLatin1String("-h") || argument == QLatin1String("-v"))
            return true;
        if (argument.startsWith(QLatin1String("--")) &&
            LongNames.contains(argument.mid(2).section(QLatin1Char('='), 0, 0)))
            return true;
    }
    return false;
}

CliOptions parseCommandLine(const QStringList &arguments)
{
    Grammar g;
    if (!g.parser.parse(arguments))
        return usageError(g.parser.errorText());
    if (g.parser.isSet(g.help)) {
        CliOptions options;
        options.action = CliOptions::Action::Help;
        return options;
    }
    if (g.parser.isSet(g.version)) {
        CliOptions options;
        options.action = CliOptions::Action::Version;
        return options;
    }

    CliOptions options;
    options.paths = g.parser.positionalArguments();
    if (g.parser.isSet(g.preview)) {
        if (g.parser.isSet(g.convert) || !options.paths.isEmpty())
            return usageError(tr("--preview takes one FILE and no other PATH."));
        options.action = CliOptions::Action::Preview;
        options.paths = QStringList{g.parser.value(g.preview)};
        return options;
    }
    if (!g.parser.isSet(g.convert)) {
        for (const QCommandLineOption *option : {&g.size, &g.compact, &g.noCompact, &g.background,
                                                 &g.to, &g.beside, &g.ext, &g.jobs}) {
            if (g.parser.isSet(*option))
                return usageError(
                    tr("--%1 works only with --convert.").arg(option->names().constFirst()));
        }
        return options;
    }

    options.action = CliOptions::Action::Convert;
    if (options.paths.isEmpty())
        return usageError(tr("--convert needs at least one PATH."));
    if (g.parser.isSet(g.to) && g.parser.isSet(g.beside))
        return usageError(tr("--to and --beside exclude each other."));
    if (g.parser.isSet(g.size)) {
        options.size = g.parser.value(g.size);
        if (options.size->trimmed().isEmpty())
            return usageError(tr("--size needs a size."));
    }
    if (g.parser.isSet(g.compact) && g.parser.isSet(g.noCompact))
        return usageError(tr("--compact and --no-compact exclude each other."));
    if (g.parser.isSet(g.compact) || g.parser.isSet(g.noCompact))
        options.compact = g.parser.isSet(g.compact);
    if (g.parser.isSet(g.background)) {
        // A name or six hex digits; no alpha, which an opaque file cannot show.
        const QColor colour = kitColour(g.parser.value(g.background));
        if (!colour.isValid())
            return usageError(tr("--background needs a colour: a name (white, navy) or #rrggbb."));
        options.background = colour;
    }
    if (g.parser.isSet(g.to)) {
        options.toFolder = g.parser.value(g.to);
        if (options.toFolder->isEmpty())
            return usageError(tr("--to needs a folder."));
    }
    options.beside = g.parser.isSet(g.beside);
    if (g.parser.isSet(g.ext)) {
        options.extension = g.parser.value(g.ext);
        if (options.extension.isEmpty())
            return usageError(tr("--ext needs an extension (* for every file)."));
    }
    if (g.parser.isSet(g.jobs)) {
        bool ok = false;
        const int jobs = g.parser.value(g.jobs).toInt(&ok);
        if (!ok || jobs < 1)
            return usageError(tr("--jobs needs a whole number of 1 or more."));
        options.jobs = jobs;
    }
    return options;
}

QString helpText()
{
    // The parser names the program as it was started (a full path, often); GNU style
    // names the command.
    QString text = Grammar().parser.helpText();
    text = tr("Usage: quorbel [options] PATH...") + text.mid(text.indexOf(QLatin1Char('\n')));
    text += tr("\nSize sets (Windows' sizes for an application icon, and a site's):\n");
    for (const SizeSet &set : namedSizeSets())
        text +=
            QStringLiteral("  %1 %2\n").arg(QLatin1String(set.name), -14).arg(sizesText(set.sizes));
    text += tr("\nKits (a folder NAME-icons of every icon file a program or site ships; see "
               "README):\n");
    for (const IconKit::Name &kit : IconKit::names())
        text += QStringLiteral("  %1\n").arg(QLatin1String(kit.name));
    return text + tr("\nExit status: 0 every file converted, 1 some failed, 2 a usage error "
                     "or nothing to convert.\n");
}

QString versionText()
{
    return QStringLiteral("quorbel %1\n").arg(QStringLiteral(QUORBEL_VERSION));
}

std::optional<int> jobsVariable()
{
    bool ok = false;
    const int jobs = qEnvironmentVariableIntValue("QUORBEL_JOBS", &ok);
    if (ok && jobs > 0)
        return jobs;
    return std::nullopt;
}
