#include "FileListModel.h"

#include "ThumbnailLoader.h"

#include <QGuiApplication>
#include <algorithm>

namespace {
// Beyond this many, hints are of rows long scrolled past.
constexpr int MaxWaiting = 4096;
const QList<int> OutcomeRoles{FileListModel::OutcomeRole, Qt::ToolTipRole,
                              Qt::AccessibleDescriptionRole};
} // namespace

FileListModel::FileListModel(QObject *parent) : QAbstractListModel(parent)
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        m_thumbnails = new ThumbnailLoader(this);
        connect(m_thumbnails, &ThumbnailLoader::thumbnailReady, this,
                &FileListModel::thumbnailReady);
    }
}

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_rows.at(index.row());
    if (role == Qt::DecorationRole)
        return thumbnail(index.row());
    if (role == OutcomeRole || role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole) {
        const Ended ended = m_outcomes.value(m_keys.at(index.row()));
        if (role == OutcomeRole)
            return int(ended.outcome);
        if (ended.outcome == Outcome::Failed || ended.outcome == Outcome::NotReached)
            return ended.reason.isEmpty() ? tr("Not converted")
                                          : tr("Not converted: %1").arg(ended.reason);
        if (ended.outcome == Outcome::Converted && role == Qt::AccessibleDescriptionRole)
            return tr("Converted");
    }
    return {};
}

FileListModel::Outcome FileListModel::outcome(int row) const
{
    return m_outcomes.value(m_keys.at(row - 1)).outcome;
}

void FileListModel::beginOutcomes()
{
    m_outcomesOpen = false;
    edited();
    m_outcomesOpen = true;
}

void FileListModel::setOutcome(int seenAt, quint64 key, Outcome outcome, const QString &reason)
{
    const int row = rowOfKey(key, seenAt - 1);
    if (row < 0)
        return; // the file has left the list
    Ended &ended = m_outcomes[key];
    if (ended.outcome == outcome && ended.reason == reason)
        return;
    ended = {outcome, reason};
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, OutcomeRoles);
}

int FileListModel::rowOfKey(quint64 key, int near) const
{
    // Rows that moved meanwhile have mostly moved a little way.
    const int count = int(m_keys.size());
    near = std::clamp(near, 0, qMax(count - 1, 0));
    for (int distance = 0; distance < count; ++distance) {
        for (int row : {near - distance, near + distance}) {
            if (row >= 0 && row < count && m_keys.at(row) == key)
                return row;
        }
        if (near - distance < 0 && near + distance >= count)
            break;
    }
    return -1;
}

void FileListModel::edited()
{
    if (m_outcomesOpen || m_outcomes.isEmpty())
        return;
    m_outcomes.clear();
    if (!m_rows.isEmpty())
        emit dataChanged(index(0), index(int(m_rows.size()) - 1), OutcomeRoles);
}

// Views ask only for the rows they paint, so only shown rows are ever read.
QVariant FileListModel::thumbnail(int row) const
{
    if (!m_thumbnails)
        return {};
    const QString &path = m_rows.at(row);
    if (const QPixmap *known = m_thumbnails->cached(path))
        return known->isNull() ? QVariant() : QVariant(*known);
    if (m_waiting.size() >= MaxWaiting)
        m_waiting.clear();
    if (!m_waiting.contains(path, row))
        m_waiting.insert(path, row);
    m_thumbnails->request(path);
    return {};
}

void FileListModel::thumbnailReady(const QString &path)
{
    const QList<int> rows = m_waiting.values(path);
    m_waiting.remove(path);
    const QPixmap *thumbnail = m_thumbnails->cached(path);
    if (!thumbnail || thumbnail->isNull())
        return; // nothing new to show
    for (int row : rows) {
        if (row < m_rows.size() && m_rows.at(row) == path) {
            const QModelIndex changed = index(row);
            emit dataChanged(changed, changed, {Qt::DecorationRole});
        }
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return {};
}

bool FileListModel::setHeaderText(const QString &text)
{
    m_header = text;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
    return true;
}

void FileListModel::appendRow(const QString &text)
{
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append(text);
    m_keys.append(newKey());
    endInsertRows();
    edited();
}

void FileListModel::appendRows(const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(texts.size()) - 1);
    m_rows.append(texts);
    m_keys.reserve(m_rows.size());
    for (qsizetype i = 0; i < texts.size(); ++i)
        m_keys.append(newKey());
    endInsertRows();
    edited();
}

void FileListModel::removeRowAt(int row)
{
    if (row < 1 || row > m_rows.size())
        return;
    beginRemoveRows({}, row - 1, row - 1);
    m_rows.removeAt(row - 1);
    m_outcomes.remove(m_keys.takeAt(row - 1));
    endRemoveRows();
    edited();
}

void FileListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_keys.clear();
    m_outcomes.clear();
    m_waiting.clear();
    if (m_thumbnails)
        m_thumbnails->reset();
    endResetModel();
}

void FileListModel::setRowText(int row, const QString &text)
{
    if (row < 1 || row > m_rows.size())
        return;
    m_rows[row - 1] = text;
    m_outcomes.remove(m_keys.at(row - 1));
    m_keys[row - 1] = newKey(); // another file now
    const QModelIndex changed = index(row - 1);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::DecorationRole});
    edited();
}

void FileListModel::exchangeRows(int first, int second)
{
    if (first < 1 || first > m_rows.size() || second < 1 || second > m_rows.size())
        return;
    m_rows.swapItemsAt(first - 1, second - 1);
    m_keys.swapItemsAt(first - 1, second - 1);
    for (int row : {first, second}) {
        const QModelIndex changed = index(row - 1);
        emit dataChanged(changed, changed);
    }
    edited();
}
