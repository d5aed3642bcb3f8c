#include "data_file_location.h"

#include <QDir>
#include <QFile>

DataFileLocation jushoDataFileLocation() {
    // No drive letters here: the file lives in the user's own data folder, in a folder that
    // belongs to this program. A relative XDG_DATA_HOME is ignored, as the XDG rules say:
    // it would put the address book wherever the program happened to be started.
    QString base = QFile::decodeName(qgetenv("XDG_DATA_HOME"));
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return {base + QStringLiteral("/Pellinova/Tovrin.txt"), FolderCreation::CreateOwnFolder};
}
