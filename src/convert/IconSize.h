// The size the user asked the icons to have, read once per batch: the picture as it
// is, one square entry of one number, one size exactly as typed (128x64, 50%), or a
// list of square entries (typed, or a set's name).
#pragma once

#include "IconKit.h"

#include <QList>
#include <QString>
#include <QStringList>

class IconSize
{
public:
    enum class Kind
    {
        Unchanged,
        Single,
        List
    };

    IconSize() = default;
    // The user-defined text: a list when it holds a comma or names a set, else one size.
    static IconSize fromText(const QString &text);
    // The first chosen size button (1 to 6), or the user-defined one (7) with its
    // text; any other number leaves the picture's size as it is.
    static IconSize forOption(int option, const QString &userText);
    // The size of a size button, "16" to "72"; empty for any other number.
    static QString buttonSize(int option);

    Kind kind() const { return m_kind; }
    // False for a size no icon entry can have, or a text the converter must not be
    // given; the batch then refuses to start.
    bool isAccepted() const { return m_accepted; }
    const QString &text() const { return m_text; }
    // One number typed alone: the side of the icon's one square entry; else 0.
    int side() const { return m_side; }
    // The listed sizes, each once; empty unless a list.
    const QList<int> &sizes() const { return m_sizes; }
    // The parts of a kit (IconKit.h) when the text names kits; the sizes are then
    // every size the kit's files are drawn at. 0 for an icon.
    IconKit::Parts kitParts() const { return m_kit; }

private:
    Kind m_kind = Kind::Unchanged;
    bool m_accepted = true;
    QString m_text;
    int m_side = 0;
    QList<int> m_sizes;
    IconKit::Parts m_kit = 0;
};
