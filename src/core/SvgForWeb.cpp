// The web's copy of an SVG picture: a favicon or an app's scalable icon runs nothing.
#include "SvgDocument.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace SvgDocument {
namespace {
QStringView localName(QStringView qualifiedName)
{
    const qsizetype colon = qualifiedName.indexOf(QLatin1Char(':'));
    return colon < 0 ? qualifiedName : qualifiedName.mid(colon + 1);
}

// Elements that run code or hold another document whose content we cannot vouch for.
bool isActive(QStringView element)
{
    return element.compare(u"script", Qt::CaseInsensitive) == 0 ||
           element.compare(u"foreignObject", Qt::CaseInsensitive) == 0 ||
           element.compare(u"handler", Qt::CaseInsensitive) == 0;
}

bool isActiveAttribute(const QXmlStreamAttribute &attribute)
{
    const QStringView name = localName(attribute.qualifiedName());
    if (name.startsWith(u"on", Qt::CaseInsensitive))
        return true;
    // A link the picture would follow when clicked, or a script address anywhere.
    return attribute.value().trimmed().startsWith(u"javascript:", Qt::CaseInsensitive);
}
} // namespace

QByteArray forWeb(const QByteArray &selfContained)
{
    QByteArray copy;
    QXmlStreamWriter writer(&copy);
    QXmlStreamReader xml(selfContained);
    xml.setNamespaceProcessing(false);
    writer.writeStartDocument();
    int skipping = 0; // depth inside an active element
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (skipping > 0 || isActive(localName(xml.qualifiedName()))) {
                ++skipping;
                break;
            }
            writer.writeStartElement(xml.qualifiedName().toString());
            for (const QXmlStreamAttribute &attribute : xml.attributes()) {
                if (!isActiveAttribute(attribute))
                    writer.writeAttribute(attribute);
            }
            break;
        case QXmlStreamReader::EndElement:
            if (skipping > 0)
                --skipping;
            else
                writer.writeEndElement();
            break;
        case QXmlStreamReader::Characters:
            if (skipping == 0)
                writer.writeCharacters(xml.text().toString());
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        return {};
    writer.writeEndDocument();
    return copy + '\n';
}

} // namespace SvgDocument
