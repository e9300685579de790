// A folder tree in memory for the suites of the walk and its users.
#pragma once

#include "platform/AppError.h"
#include "platform/WildcardMatch.h"
#include "scan/FolderWalk.h"

#include <QHash>
#include <QSet>

// A folder tree in memory: listing order, attribute values and listing failures.
class FakeTree final : public WalkSystem
{
public:
    QHash<QString, QStringList> children;
    QHash<QString, int> values;
    QHash<QString, int> failures;
    QHash<QString, QStringList> files; // by folder without its trailing separator
    QSet<QString> unreadable;          // folders whose files cannot be listed
    QString root;
    mutable QStringList listed;

    void add(const QString &parent, const QString &name, int value = 16)
    {
        children[parent] << name;
        values[parent + name + '/'] = value;
    }
    int attributes(const QString &path) const override { return values.value(path, -1); }
    bool isVolumeRoot(const QString &path) const override { return path == root; }
    FileSystem::SubfolderListing listSubfolders(const FileSystem::FolderPlace &place,
                                                FileSystem::OpenFolder *) const override
    {
        const QString &folder = place.path;
        listed << folder;
        FileSystem::SubfolderListing listing;
        listing.names = children.value(folder);
        listing.error = failures.value(folder);
        return listing;
    }
    QStringList listFiles(const FileSystem::FolderPlace &place, const FileSystem::OpenFolder &,
                          const QString &pattern, QStringList * = nullptr) const override
    {
        const QString folder = place.path.chopped(1);
        if (unreadable.contains(folder))
            throw AppError(ErrorNumber::PermissionDenied, QStringLiteral("Permission denied"));
        QStringList names;
        for (const QString &name : files.value(folder)) {
            if (FileSystem::wildcardMatch(pattern, name))
                names << name;
        }
        return names;
    }
    bool isHiddenFile(const QString &path) const override
    {
        return values.value(path) & FileSystem::Attr::Hidden;
    }
    void letEventsRun() const override {}
};
