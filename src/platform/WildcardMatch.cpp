// Matching names against "*" and "?" patterns, case-blind, as a folder search does.
#include "WildcardMatch.h"

namespace FileSystem {

bool wildcardMatch(const QString &pattern, const QString &name)
{
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
        return true;
    // The common "*.ext": a case-blind look at the end of the name.
    if (pattern.startsWith(QLatin1Char('*')) && pattern.indexOf(QLatin1Char('*'), 1) < 0 &&
        pattern.indexOf(QLatin1Char('?')) < 0)
        return name.endsWith(QStringView(pattern).mid(1), Qt::CaseInsensitive);
    // Iterative match with one backtrack point: linear for the usual patterns.
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == QLatin1Char('?') ||
                                          pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

} // namespace FileSystem
