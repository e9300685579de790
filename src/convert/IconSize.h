// The size the user asked the icons to have, read once per batch: the picture as it
// is, one size exactly as typed, or a list of square entries.
#pragma once

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
    // The user-defined text: a list when it holds a comma, else one size.
    static IconSize fromText(const QString &text);
    // The first chosen size button (1 to 6), or the user-defined one (7) with its
    // text; any other number leaves the picture's size as it is.
    static IconSize forOption(int option, const QString &userText);
    // The size of a size button, "16" to "72"; empty for any other number.
    static QString buttonSize(int option);

    Kind kind() const { return m_kind; }
    // False for a text the converter must not be given; each file then fails.
    bool isAccepted() const { return m_accepted; }
    const QString &text() const { return m_text; }
    // The listed sizes, each once; empty unless a list.
    const QList<int> &sizes() const { return m_sizes; }

private:
    Kind m_kind = Kind::Unchanged;
    bool m_accepted = true;
    QString m_text;
    QList<int> m_sizes;
};
