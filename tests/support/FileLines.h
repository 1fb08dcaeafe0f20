#pragma once

#include <QFile>
#include <QStringList>

// The non-empty lines of a UTF-8 file; none when it cannot be read.
inline QStringList LinesOf(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}
