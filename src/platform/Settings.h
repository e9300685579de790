// Every key the program stores, with its default and its conversion. Nothing is
// cached: each read asks the store, each write reaches it at once.
#pragma once

#include "SettingsStore.h"

#include <QColor>
#include <QString>

class Settings
{
public:
    explicit Settings(SettingsStore &store) : m_store(store) {}

    // Conversions of stored texts; both throw AppError (type mismatch, overflow).
    static int toInt16(const QString &text);
    static bool toTruth(const QString &text);
    static QString truthText(bool value);

    int iconSize() const; // "Icon Size", default 2
    void setIconSize(int option);
    bool option8() const; // default true
    bool option9() const; // default false
    void setDestination(bool option8, bool option9);
    QString text1(const QString &defaultFolder) const;
    void setText1(const QString &text);
    QString text2() const; // default "32"
    void setText2(const QString &text);
    bool compact() const; // "Compact": PNG entries from 48 px; default false
    void setCompact(bool compact);
    // "KitBackground": under a kit's opaque files, "#rrggbb"; white by default or when
    // the saved text is no colour.
    QColor kitBackground() const;
    void setKitBackground(const QColor &colour);
    QString lastFolderDot() const;
    void setLastFolderDot(const QString &folder);
    QString lastFolder() const;
    void setLastFolder(const QString &folder);
    QString extension() const; // default "png"
    void setExtension(const QString &extension);
    QString snapshot() const; // default empty: not recorded yet
    // As the sample loader reads it: default the truth value false, i.e. "False".
    QString snapshotForLoading() const;
    void setSnapshot(const QString &record);

private:
    SettingsStore &m_store;
};
