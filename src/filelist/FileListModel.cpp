#include "FileListModel.h"

#include "ThumbnailLoader.h"

#include <QGuiApplication>

namespace {
// Beyond this many, hints are of rows long scrolled past.
constexpr int MaxWaiting = 4096;
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
    return {};
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
    endInsertRows();
}

void FileListModel::appendRows(const QStringList &texts)
{
    if (texts.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(texts.size()) - 1);
    m_rows.append(texts);
    endInsertRows();
}

void FileListModel::removeRowAt(int row)
{
    if (row < 1 || row > m_rows.size())
        return;
    beginRemoveRows({}, row - 1, row - 1);
    m_rows.removeAt(row - 1);
    endRemoveRows();
}

void FileListModel::clear()
{
    beginResetModel();
    m_rows.clear();
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
    const QModelIndex changed = index(row - 1);
    emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::DecorationRole});
}
