// The benchmark's shared helpers and its parts kept in files of their own.
#pragma once

#include <QList>
#include <QString>
#include <algorithm>
#include <cstdio>

inline double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

inline void print(const char *name, double value, int decimals = 3)
{
    std::printf("%s: %.*f\n", name, decimals, value);
    std::fflush(stdout);
}

// Windows' fourteen sizes in both forms from a 1024 px master with seven pictures of
// the designer's own, against one 48 px entry from the same master.
void benchDesignerSet(const QString &work, int files, int runs);

// The preview of Windows' fourteen sizes after Space, for a 1024 px PNG and an SVG.
void benchPreview(const QString &work, int runs);
void benchKit(const QString &work, int files, int runs);
