#include "data_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifndef Q_OS_WIN
#include "system_error_text.h"

#include <cerrno>
#include <sys/stat.h>
#endif

namespace {

// Creates one folder; false with the system's words if it neither could be made nor exists.
bool makeFolder(const QString &folder, QString *why) {
#ifdef Q_OS_WIN
    if (QDir().mkdir(folder) || QFileInfo(folder).isDir())
        return true;
    *why = QString();
    return false;
#else
    // It holds personal data: only the owner may look inside.
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
        return true;
    const int error = errno;
    if (error == EEXIST && QFileInfo(folder).isDir())
        return true; // made by someone else in the meantime
    *why = systemErrorText(error);
    return false;
#endif
}

} // namespace

std::optional<DataError> ensureDataFolder(const QString &filePath, FolderCreation folders) {
    const QString folder = QFileInfo(filePath).absolutePath();
    if (QFileInfo(folder).isDir())
        return std::nullopt;
    if (folders == FolderCreation::MustExist)
        return DataError{DataError::Kind::FolderMissing, folder};

    // The missing folders, outermost first.
    QStringList missing;
    for (QString f = folder; !QFileInfo(f).isDir(); f = QFileInfo(f).absolutePath()) {
        missing.prepend(f);
        if (QDir(f).isRoot())
            break;
    }
    for (const QString &f : missing) {
        QString why;
        if (!makeFolder(f, &why))
            return DataError{DataError::Kind::CannotCreateFolder, f, 0, -1, 0, why};
    }
    return std::nullopt;
}
