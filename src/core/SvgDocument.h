// SVG pictures read by us, never by a reader that follows what they name: a picture
// may name a FIFO that would block the reader for ever, and a few kilobytes may
// expand to gigabytes. The whole document is read within limits, gunzipped when
// compressed, and only its own bytes are looked at.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QSize>

namespace SvgDocument {

struct Limits
{
    qint64 textBytes = 0;      // the document, expanded
    qint64 embeddedPixels = 0; // every picture embedded in it (data: addresses), added up
};

// What a drawing child is given at most; it runs under a memory limit of its own.
inline constexpr Limits DrawingLimits{32LL * 1024 * 1024, 64LL * 1024 * 1024};

// Whether a file starting with `head` holds an SVG document, plain or gzip-compressed.
bool looksLikeSvg(const QByteArray &head);

struct Reading
{
    bool tooLarge = false;
    bool wellFormed = false;
    QSize size; // as librsvg draws it, at 96 dpi; invalid when the root gives none
    // The document without anything that names another file, for drawing it in our
    // own process; only when asked for and well formed.
    QByteArray selfContained;
};

Reading read(QIODevice &file, const Limits &limits, bool selfContained = false);

// A self-contained document as a page may show it: without scripts, event attributes
// or anything else that would run or fetch; empty when it is not well formed.
QByteArray forWeb(const QByteArray &selfContained);

} // namespace SvgDocument
