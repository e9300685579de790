#include "PreviewTexts.h"

#include "core/FailureText.h"

#include <QLocale>

namespace {
constexpr qint64 BytesInKb = 1024;
} // namespace

QString PreviewTexts::windowTitle(const QString &fileName)
{
    return tr("%1 – Icon Preview").arg(fileName);
}

QString PreviewTexts::entrySize(const PreviewEntry &entry)
{
    return tr("%1 × %2").arg(entry.width).arg(entry.height);
}

QString PreviewTexts::storage(IcoFile::Storage storage)
{
    return storage == IcoFile::Storage::Png ? tr("PNG") : tr("bitmap");
}

QString PreviewTexts::bytes(qint64 bytes)
{
    if (bytes < BytesInKb)
        return tr("%n byte(s)", nullptr, int(bytes));
    return tr("%1 KB").arg(QLocale().toString(double(bytes) / BytesInKb, 'f', 1));
}

QString PreviewTexts::origin(const PreviewEntry &entry)
{
    switch (entry.origin) {
    case PreviewEntry::Origin::AsStored:
        return tr("as stored in the icon");
    case PreviewEntry::Origin::OwnPicture:
        return tr("your picture %1").arg(entry.originFile);
    case PreviewEntry::Origin::Drawn:
        return tr("drawn from the SVG at %1 px").arg(std::max(entry.width, entry.height));
    case PreviewEntry::Origin::Scaled:
        return tr("scaled from %1 × %2")
            .arg(entry.originSize.width())
            .arg(entry.originSize.height());
    case PreviewEntry::Origin::AsIs:
        return tr("your picture at its own size");
    }
    return {};
}

QString PreviewTexts::accessibleName(const PreviewEntry &entry)
{
    QString start = tr("%1 by %2 pixels, %3, %4")
                        .arg(entry.width)
                        .arg(entry.height)
                        .arg(storage(entry.storage), bytes(entry.bytes));
    switch (entry.origin) {
    case PreviewEntry::Origin::AsStored:
        return start;
    case PreviewEntry::Origin::OwnPicture:
        return tr("%1, from %2").arg(start, entry.originFile);
    case PreviewEntry::Origin::Drawn:
        return tr("%1, drawn from the SVG").arg(start);
    case PreviewEntry::Origin::Scaled:
        return tr("%1, scaled from %2 by %3")
            .arg(start)
            .arg(entry.originSize.width())
            .arg(entry.originSize.height());
    case PreviewEntry::Origin::AsIs:
        return tr("%1, from your picture as it is").arg(start);
    }
    return start;
}

namespace {
QString sidesText(const QList<int> &sides)
{
    QStringList texts;
    for (const int side : sides)
        texts << QString::number(side);
    return texts.join(QStringLiteral(", "));
}
} // namespace

QString PreviewTexts::note(const PreviewNote &note)
{
    switch (note.kind) {
    case PreviewNote::Kind::No256:
        return tr("No 256 px entry: Windows' large icon views scale up the largest entry, "
                  "which looks blurry. Add 256 to the sizes (the windows set has it).");
    case PreviewNote::Kind::NoTaskbarSizes:
        return tr("No 20, 24 or 40 px entry: the taskbar at 125 % and 150 % display scaling "
                  "scales another entry and looks blurry. Add 20, 24 and 40 (the windows set "
                  "has them).");
    case PreviewNote::Kind::Enlarged:
        return tr("Enlarged from a %1 × %2 picture: %3 px. Enlarged entries look soft; start "
                  "from a larger picture, or draw your own picture for those sizes.")
            .arg(note.size.width())
            .arg(note.size.height())
            .arg(sidesText(note.sizes));
    case PreviewNote::Kind::NotSquare:
        return tr("Your picture is %1 × %2, not square: it was padded with transparency. "
                  "Crop it square to fill the entries.")
            .arg(note.size.width())
            .arg(note.size.height());
    case PreviewNote::Kind::ColourConverted:
        return tr("Your picture has a colour profile of its own and was converted to sRGB: "
                  "check the colours, or save the picture in sRGB.");
    case PreviewNote::Kind::UnreadableEntry:
        return tr("No reader here shows the %1 px entry, and Windows may not either: save "
                  "the icon again from its picture.")
            .arg(sidesText(note.sizes));
    }
    return {};
}

QString PreviewTexts::problem(const PreviewModel &model)
{
    switch (model.fault()) {
    case IcoFile::Fault::None:
        break;
    case IcoFile::Fault::NoHeader:
        return tr("Not an icon: the file has no icon header or no entries.");
    case IcoFile::Fault::DirectoryCutOff:
        return tr("The icon is cut off: the file ends inside its list of entries.");
    case IcoFile::Fault::EmptyEntry:
        return tr("The icon is damaged: an entry holds no bytes.");
    case IcoFile::Fault::DataInDirectory:
        return tr("The icon is damaged: an entry's picture starts inside the list of entries.");
    case IcoFile::Fault::DataPastEnd:
        return tr("The icon is cut off: an entry's picture runs past the end of the file.");
    case IcoFile::Fault::ImageTooLarge:
        return tr("The icon is damaged: an entry's picture claims more than 256 pixels a side.");
    case IcoFile::Fault::SharedData:
        return tr("The icon is damaged: two entries share the same bytes.");
    case IcoFile::Fault::NotSquare:
    case IcoFile::Fault::NotTheSizesAsked:
        return tr("The icon does not hold the sizes asked for.");
    }
    if (model.refusal())
        return refusalText(*model.refusal());
    if (!model.errorReport().isEmpty())
        return model.errorReport();
    return tr("Not converted: %1").arg(failureText(model.failure()));
}

QString PreviewTexts::converting()
{
    return tr("Converting…");
}

QString PreviewTexts::waitingForBatch()
{
    return tr("Waiting for the running batch to finish…");
}

QString PreviewTexts::saveEntries()
{
    return tr("Save Entries as PNG…");
}

QString PreviewTexts::saveEntriesPrompt()
{
    return tr("Save the entries as PNG files in this folder:");
}

QString PreviewTexts::overwrite(const QStringList &names)
{
    return tr("These files are there already:\n%1\n\nReplace them?")
        .arg(names.join(QLatin1Char('\n')));
}

QString PreviewTexts::saved(int count, const QString &folder)
{
    return tr("%n entries saved in %1.", nullptr, count).arg(folder);
}

QString PreviewTexts::notSaved(const QString &name)
{
    return tr("%1 could not be saved.").arg(name);
}

QString PreviewTexts::magnification()
{
    return tr("&Magnify:");
}

QString PreviewTexts::grid()
{
    return tr("Pixel &grid");
}

QString PreviewTexts::notes()
{
    return tr("Notes");
}
