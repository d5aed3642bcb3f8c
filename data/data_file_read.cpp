#include "data_file_read.h"

#include <QFile>
#include <QFileInfo>

FileBytes readDataFile(const QString &path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, DataError{DataError::Kind::FileMissing, path}};
    // A folder, a pipe or a device is refused before opening: a pipe would block.
    if (!info.isFile())
        return {{}, DataError{DataError::Kind::NotAFile, path}};

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, DataError{DataError::Kind::CannotOpen, path, 0, -1, 0, file.errorString()}};
    FileBytes result{file.readAll(), std::nullopt};
    if (file.error() != QFileDevice::NoError)
        result.error = DataError{DataError::Kind::ReadFailed, path, 0, -1, 0, file.errorString()};
    file.close();
    return result;
}
