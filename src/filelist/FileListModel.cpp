#include "FileListModel.h"

FileListModel::FileListModel(QObject *parent) : QAbstractListModel(parent) {}

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
    return {};
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
    endResetModel();
}

void FileListModel::setRowText(int row, const QString &text)
{
    if (row < 1 || row > m_rows.size())
        return;
    m_rows[row - 1] = text;
    const QModelIndex changed = index(row - 1);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}
