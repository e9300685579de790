#include "PictureColour.h"

#include <QColorSpace>
#include <QtEndian>
#include <cmath>

namespace {
// Colour chunks come before the image data; a file with more before it is no
// picture to take colours from.
constexpr int MostChunksBeforeImage = 256;
// libpng's own tolerance: a gamma this close to 1/2.2 is shown as sRGB.
constexpr double SrgbGammaTolerance = 0.05;
} // namespace

QByteArray srgbProfile()
{
    return QColorSpace(QColorSpace::SRgb).iccProfile();
}

double storedGammaToUndo(QIODevice &file)
{
    if (!file.seek(0) || file.read(8) != QByteArray("\x89PNG\r\n\x1a\n", 8))
        return 0;
    double gamma = 0;
    qint64 at = 8;
    for (int chunk = 0; chunk < MostChunksBeforeImage && file.seek(at); ++chunk) {
        const QByteArray header = file.read(8);
        if (header.size() < 8)
            break;
        const quint32 length = qFromBigEndian<quint32>(header.constData());
        const QByteArray type = header.mid(4);
        if (type == "IDAT" || type == "IEND")
            break;
        // A profile or the sRGB chunk rules over a gamma.
        if (type == "iCCP" || type == "sRGB")
            return 0;
        if (type == "gAMA" && length == 4) {
            const QByteArray value = file.read(4);
            if (value.size() == 4)
                gamma = qFromBigEndian<quint32>(value.constData()) / 100000.0;
        }
        at += 12 + qint64(length); // length, type, data, checksum
    }
    return gamma > 0 && std::abs(gamma * 2.2 - 1) > SrgbGammaTolerance ? gamma : 0;
}

QStringList colourArguments(double storedGamma)
{
    QStringList arguments;
    if (storedGamma > 0) {
        // Back to light, then encoded as sRGB encodes it.
        arguments << QStringLiteral("-gamma") << QString::number(storedGamma, 'g', 6)
                  << QStringLiteral("-set") << QStringLiteral("colorspace") << QStringLiteral("RGB")
                  << QStringLiteral("-colorspace") << QStringLiteral("sRGB");
    }
    // Converts from a profile the picture carries; only names sRGB on one without.
    return arguments << QStringLiteral("-profile") << QLatin1String(SrgbProfileName);
}

QStringList withoutColourChunks()
{
    return {QStringLiteral("-set"), QStringLiteral("gamma"), QStringLiteral("0.454545")};
}
