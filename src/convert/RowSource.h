// Read access to the file list's rows, numbered from 1.
#pragma once

#include <QString>

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
};
