#include "IconCheck.h"

bool isWellFormedIcon(const QByteArray &bytes)
{
    return IcoFile(bytes).fault() == IcoFile::Fault::None;
}

bool isWellFormedIcon(const QByteArray &bytes, const QList<int> &sizes)
{
    return IcoFile(bytes).fault(sizes) == IcoFile::Fault::None;
}
