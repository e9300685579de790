// The Windows icon file format: its header and directory, read, checked and written
// here only, and the shape of every entry the program makes. The pictures inside the
// entries are left to their readers.
#pragma once

#include <QByteArray>
#include <QList>

inline constexpr int LargestIconSide = 256;

class IcoFile
{
public:
    // The header, then one directory entry a picture.
    static constexpr qsizetype HeaderSize = 6;
    static constexpr qsizetype EntrySize = 16;

    enum class Storage
    {
        Bmp,
        Png
    };

    struct Entry
    {
        int width = 0; // pixels; 256 is stored as 0
        int height = 0;
        quint8 colours = 0; // as the directory has them; a writer copies them on
        quint16 planes = 1;
        quint16 bitCount = 32;
        Storage storage = Storage::Bmp; // what the data starts with
        qint64 offset = 0;              // where the data starts in the file
        qint64 length = 0;

        bool isSquare() const { return width == height; }
    };

    // The first thing found wrong, in the order checked.
    enum class Fault
    {
        None,
        NoHeader,         // shorter than a header, not an icon's, or no entries
        DirectoryCutOff,  // the file ends inside the directory
        EmptyEntry,       // an entry of no bytes
        DataInDirectory,  // an entry's data starts before the directory ends
        DataPastEnd,      // an entry's data runs past the file's end
        ImageTooLarge,    // the picture claims more than the largest icon side
        SharedData,       // two entries' data share bytes
        NotSquare,        // with sizes asked for: an oblong entry
        NotTheSizesAsked, // a size missing, not asked for, or twice
    };

    // Reads the header and the directory; entries() is empty when either is unreadable.
    explicit IcoFile(const QByteArray &bytes);

    const QList<Entry> &entries() const { return m_entries; }
    QByteArray dataOf(const Entry &entry) const;

    // What keeps the bytes from being a well-formed icon: an ICO header (type 1, at least
    // one entry), every entry's data inside the file, past the directory and apart from
    // every other's, no picture above 256 pixels a side. With `sizes`, also exactly one
    // square entry of each (any entries when none are given).
    Fault fault(const QList<int> &sizes = {}) const;

    // What the user chose the file to be: bitmaps below 256 px, which every reader
    // shows, or a smaller file with PNG entries from 48 px up.
    enum class Packing
    {
        Standard,
        Compact
    };
    static constexpr int SmallestCompressed = 48; // px, in a compact icon

    // The storage every icon the program writes gives an entry of `side` pixels (its
    // longer side) among `entryCount` whose smallest has `smallestSide`: only the 256 px
    // entry of an icon with several is compressed, as Windows expects, or when compact
    // every entry from 48 px up but the smallest. A lone entry stays a bitmap: GTK's
    // reader draws no compressed entry and would show nothing.
    static Storage storageFor(int side, int smallestSide, qsizetype entryCount,
                              Packing packing = Packing::Standard);

    // An icon of these entries in this order; each entry's size, colours, planes and bit
    // count are written as given, its storage, offset and length follow from its data.
    struct Image
    {
        Entry entry;
        QByteArray data;
    };
    static QByteArray write(const QList<Image> &images);

private:
    QByteArray m_bytes;
    QList<Entry> m_entries;
    Fault m_headerFault = Fault::None;
};
