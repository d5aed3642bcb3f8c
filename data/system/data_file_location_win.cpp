#include "data_file_location.h"

#include <QStandardPaths>

DataFileLocation jushoDataFileLocation() {
    // Earlier versions, 32-bit and without a manifest, had Windows send their writes under
    // C:\Program Files to the same path in the user's VirtualStore, and show them that copy.
    const QString path = QStringLiteral("C:\\Program Files\\Pellinova\\Tovrin.txt");
    const QString localAppData =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return {path, FolderCreation::MustExist,
            localAppData + QStringLiteral("\\VirtualStore") + path.mid(2)}; // without "C:"
}
