// Read access to the file list's rows, numbered from 1.
#pragma once

#include <QString>
#include <QStringList>

class RowSource
{
public:
    virtual ~RowSource() = default;
    virtual int numberOfRows() const = 0;
    virtual QString rowText(int row) const = 0;
};

// Rows that adders append to.
class RowList : public RowSource
{
public:
    virtual void appendRow(const QString &text) = 0;
    // The same as appending each text in turn, for lists that can take many at once.
    virtual void appendRows(const QStringList &texts)
    {
        for (const QString &text : texts)
            appendRow(text);
    }
};

// A list of rows without a view: the terminal's list, and the tests'.
class RowsInMemory final : public RowList
{
public:
    QStringList rows;
    int numberOfRows() const override { return int(rows.size()); }
    QString rowText(int row) const override { return rows.value(row - 1); }
    void appendRow(const QString &text) override { rows << text; }
    void appendRows(const QStringList &texts) override { rows << texts; }
};
