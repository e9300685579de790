// The work queue: an ordered list of texts, each the path of a source file.
// Appending checks nothing; nothing sorts it. Each shown row offers a thumbnail
// of its file as its decoration; its text is the path alone.
#pragma once

#include "core/RowSource.h"

#include <QAbstractListModel>
#include <QMultiHash>
#include <QStringList>

class ThumbnailLoader;

class FileListModel final : public QAbstractListModel, public RowList
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileListModel)

public:
    explicit FileListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderText(const QString &text);

    // Rows numbered from 1, as the handlers count them.
    int numberOfRows() const override { return int(m_rows.size()); }
    QString rowText(int row) const override { return m_rows.at(row - 1); }
    void appendRow(const QString &text) override;
    void appendRows(const QStringList &texts) override;
    void removeRowAt(int row);
    void clear();
    void setRowText(int row, const QString &text);
    QStringList rows() const { return m_rows; }
    // Null without a GUI application: nothing is read then.
    ThumbnailLoader *thumbnails() const { return m_thumbnails; }

private:
    QVariant thumbnail(int row) const;
    void thumbnailReady(const QString &path);

    QStringList m_rows;
    QString m_header;
    ThumbnailLoader *m_thumbnails = nullptr;
    // The rows that asked for a path still being read. Only hints: a row may hold
    // another path by the time the picture comes.
    mutable QMultiHash<QString, int> m_waiting;
};
