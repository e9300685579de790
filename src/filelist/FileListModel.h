// The work queue: an ordered list of texts, each the path of a source file.
// Appending checks nothing; nothing sorts it. Each shown row offers a thumbnail
// of its file as its decoration; its text is the path alone. After a batch a row
// also tells how its file ended, until the list is next edited.
#pragma once

#include "core/RowSource.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QStringList>

class ThumbnailLoader;

class FileListModel final : public QAbstractListModel, public RowList
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileListModel)

public:
    enum class Outcome
    {
        None,
        Converted,
        Failed,
        NotReached // the batch did not come to it: a stop, or moved past
    };
    // An `Outcome` as int.
    static constexpr int OutcomeRole = Qt::UserRole + 1;

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
    // Two rows trade texts, and with them whatever else belongs to the file.
    void exchangeRows(int first, int second);
    QStringList rows() const { return m_rows; }

    // Which file a row holds: the key goes with the text when rows trade texts.
    quint64 rowKey(int row) const { return m_keys.at(row - 1); }
    // Drops the outcomes shown; until endOutcomes() edits keep the new ones.
    void beginOutcomes();
    // The file's row shows how it ended; `seenAt` is where the file last stood.
    void setOutcome(int seenAt, quint64 key, Outcome outcome, const QString &reason);
    void endOutcomes() { m_outcomesOpen = false; }
    Outcome outcome(int row) const;

    // Null without a GUI application: nothing is read then.
    ThumbnailLoader *thumbnails() const { return m_thumbnails; }

private:
    struct Ended
    {
        Outcome outcome = Outcome::None;
        QString reason;
    };

    QVariant thumbnail(int row) const;
    void thumbnailReady(const QString &path);
    quint64 newKey() { return m_nextKey++; }
    int rowOfKey(quint64 key, int near) const; // from 0; -1 when gone
    // An edit outside a batch ends what the rows showed of the last one.
    void edited();

    QStringList m_rows;
    QList<quint64> m_keys; // one per row
    quint64 m_nextKey = 1;
    QHash<quint64, Ended> m_outcomes;
    bool m_outcomesOpen = false;
    QString m_header;
    ThumbnailLoader *m_thumbnails = nullptr;
    // The rows that asked for a path still being read. Only hints: a row may hold
    // another path by the time the picture comes.
    mutable QMultiHash<QString, int> m_waiting;
};
