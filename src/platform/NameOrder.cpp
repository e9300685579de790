// The order listings come in.
#include "NameOrder.h"

namespace FileSystem {

namespace {
bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

char16_t folded(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    return QChar::toCaseFolded(c);
}

// Negative, zero or positive as `a` comes before, level with or after `b`.
int compareNames(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char16_t x = a[i].unicode(), y = b[j].unicode();
        if (isDigit(x) && isDigit(y)) {
            qsizetype endA = i, endB = j;
            while (endA < a.size() && isDigit(a[endA].unicode()))
                ++endA;
            while (endB < b.size() && isDigit(b[endB].unicode()))
                ++endB;
            while (i + 1 < endA && a[i] == u'0')
                ++i;
            while (j + 1 < endB && b[j] == u'0')
                ++j;
            // Without leading zeros the longer run is the larger number.
            if (endA - i != endB - j)
                return endA - i < endB - j ? -1 : 1;
            for (; i < endA; ++i, ++j) {
                if (a[i] != b[j])
                    return a[i] < b[j] ? -1 : 1;
            }
            continue;
        }
        const char16_t fx = folded(x), fy = folded(y);
        if (fx != fy)
            return fx < fy ? -1 : 1;
        ++i;
        ++j;
    }
    return (i < a.size()) - (j < b.size());
}
} // namespace

bool comesBefore(QStringView a, QStringView b)
{
    const int order = compareNames(a, b);
    // Names level in that order ("p01", "p1"; "A", "a") still get one fixed order.
    return order != 0 ? order < 0 : a < b;
}

} // namespace FileSystem
