// What the preview shows, without a screen: each entry of an icon with its size,
// storage, bytes, where it came from and its picture, and the notes a designer acts
// on. Made from an icon's bytes (one the engine wrote, or one a person already has).
#pragma once

#include "convert/IconSize.h"
#include "core/Failure.h"
#include "core/IcoFile.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QSize>
#include <QString>
#include <optional>

// What was known of the picture an icon was made from: the engine's own view of it.
struct PictureFacts
{
    QString name;                 // the picture's file name
    QSize size;                   // its pixels; invalid when its header could not be read
    bool vector = false;          // an SVG, drawn at each entry's size
    bool colourConverted = false; // a profile or gamma of its own made sRGB
    QMap<int, QString> own;       // the designer's own picture (file name) for a size
};

struct PreviewEntry
{
    enum class Origin
    {
        AsStored,   // an icon opened as it is
        OwnPicture, // the designer's picture for this size
        Drawn,      // drawn from the SVG at this size
        Scaled,     // scaled from the picture
        AsIs        // the picture at its own size
    };
    int width = 0;
    int height = 0;
    IcoFile::Storage storage = IcoFile::Storage::Bmp;
    qint64 bytes = 0;
    Origin origin = Origin::AsStored;
    QString originFile; // for OwnPicture
    QSize originSize;   // for Scaled
    QImage image;       // null when the entry's picture cannot be read
};

struct PreviewNote
{
    enum class Kind
    {
        No256,          // Windows' large views scale up the largest entry
        NoTaskbarSizes, // no 20, 24 or 40 px entry
        Enlarged,       // entries enlarged from a smaller picture
        NotSquare,      // the picture was padded
        ColourConverted,
        UnreadableEntry // an entry whose picture no reader shows
    };
    Kind kind = Kind::No256;
    QList<int> sizes; // the entries the note is about, where it names them
    QSize size;       // the picture's, for NotSquare
    bool operator==(const PreviewNote &other) const = default;
};

class PreviewModel
{
public:
    PreviewModel() = default;
    // An icon opened as it is; a malformed one keeps its fault and has no entries.
    static PreviewModel ofIcon(const QByteArray &bytes);
    // The icon the engine made of the picture `facts` describes.
    static PreviewModel ofConversion(const QByteArray &bytes, const PictureFacts &facts);
    // A picture the engine did not convert, and why.
    static PreviewModel ofFailure(const Failure &failure);
    // A size choice the engine refuses before it converts anything.
    static PreviewModel ofRefusal(BatchRefusal why);
    // An error the engine reported in its own words.
    static PreviewModel ofError(const QString &report);

    const QList<PreviewEntry> &entries() const { return m_entries; }
    const QList<PreviewNote> &notes() const { return m_notes; }
    IcoFile::Fault fault() const { return m_fault; }
    const Failure &failure() const { return m_failure; }
    const std::optional<BatchRefusal> &refusal() const { return m_refusal; }
    const QString &errorReport() const { return m_errorReport; }
    // No entries to show: the icon is malformed or the picture was not converted.
    bool failed() const
    {
        return m_fault != IcoFile::Fault::None || !m_failure.isNone() || m_refusal ||
               !m_errorReport.isEmpty();
    }

private:
    void addEntries(const QByteArray &bytes);
    void addNotes(const PictureFacts *facts);

    QList<PreviewEntry> m_entries;
    QList<PreviewNote> m_notes;
    IcoFile::Fault m_fault = IcoFile::Fault::None;
    Failure m_failure;
    std::optional<BatchRefusal> m_refusal;
    QString m_errorReport;
};

// The engine's view of the picture at `path` as it makes an icon of `size`.
PictureFacts pictureFacts(const QString &path, const IconSize &size);
