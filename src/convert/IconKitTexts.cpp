// The kit's text files, written in one fixed form so that the same picture gives the
// same bytes every time.
#include "IconKitFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QJsonObject webIcon(const QString &src, int side, bool maskable = false)
{
    QJsonObject icon{{QStringLiteral("src"), src},
                     {QStringLiteral("sizes"), QStringLiteral("%1x%1").arg(side)},
                     {QStringLiteral("type"), QStringLiteral("image/png")}};
    if (maskable)
        icon.insert(QStringLiteral("purpose"), QStringLiteral("maskable"));
    return icon;
}

QByteArray manifest(const KitOptions &options)
{
    const QJsonObject root{
        {QStringLiteral("name"), options.base},
        {QStringLiteral("short_name"), options.base},
        {QStringLiteral("icons"),
         QJsonArray{webIcon(QStringLiteral("/icon-192.png"), 192),
                    webIcon(QStringLiteral("/icon-512.png"), 512),
                    webIcon(QStringLiteral("/icon-maskable-512.png"), 512, true)}},
        {QStringLiteral("theme_color"), colourText(options.background)},
        {QStringLiteral("background_color"), colourText(options.background)},
        {QStringLiteral("display"), QStringLiteral("standalone")}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

// Browsers take the last icon link they can use: the SVG comes after the bitmaps so
// that it wins where it is understood, and the ICO names no size, so it is never
// taken for a picture of any size ("any") over the SVG.
QByteArray markup(bool vector)
{
    QByteArray html = "<link rel=\"icon\" href=\"/favicon.ico\">\n"
                      "<link rel=\"icon\" type=\"image/png\" href=\"/favicon-96x96.png\" "
                      "sizes=\"96x96\">\n";
    if (vector)
        html += "<link rel=\"icon\" type=\"image/svg+xml\" href=\"/favicon.svg\">\n";
    html += "<link rel=\"apple-touch-icon\" sizes=\"180x180\" href=\"/apple-touch-icon.png\">\n"
            "<link rel=\"manifest\" href=\"/site.webmanifest\">\n";
    return html;
}

QByteArray iosContents()
{
    const QJsonObject image{{QStringLiteral("filename"), QStringLiteral("AppIcon-1024.png")},
                            {QStringLiteral("idiom"), QStringLiteral("universal")},
                            {QStringLiteral("platform"), QStringLiteral("ios")},
                            {QStringLiteral("size"), QStringLiteral("1024x1024")}};
    const QJsonObject root{
        {QStringLiteral("images"), QJsonArray{image}},
        {QStringLiteral("info"), QJsonObject{{QStringLiteral("author"), QStringLiteral("quorbel")},
                                             {QStringLiteral("version"), 1}}}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
} // namespace

QByteArray kitText(IconKit::File::Kind kind, const KitOptions &options, bool vector)
{
    using Kind = IconKit::File::Kind;
    switch (kind) {
    case Kind::WebManifest:
        return manifest(options);
    case Kind::WebMarkup:
        return markup(vector);
    case Kind::AdaptiveIcon:
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
               "<adaptive-icon xmlns:android=\"http://schemas.android.com/apk/res/android\">\n"
               "    <background android:drawable=\"@color/ic_launcher_background\"/>\n"
               "    <foreground android:drawable=\"@mipmap/ic_launcher_foreground\"/>\n"
               "</adaptive-icon>\n";
    case Kind::BackgroundColour:
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resources>\n"
               "    <color name=\"ic_launcher_background\">" +
               colourText(options.background).toUpper().toLatin1() + "</color>\n</resources>\n";
    case Kind::IosContents:
        return iosContents();
    default:
        return {};
    }
}
