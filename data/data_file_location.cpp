#include "data_file_location.h"

#include <QStandardPaths>

DataFileLocation jushoDataFileLocation() {
#ifdef Q_OS_WIN
    return {QStringLiteral("C:\\Program Files\\Pellinova\\Tovrin.txt"), FolderCreation::MustExist};
#else
    // No drive letters here: the file lives in the user's own data folder
    // ($XDG_DATA_HOME, else ~/.local/share), in a folder that belongs to this program.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return {base + QStringLiteral("/Pellinova/Tovrin.txt"), FolderCreation::CreateOwnFolder};
#endif
}
