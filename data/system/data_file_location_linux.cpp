#include "data_file_location.h"

#include <QFile>

namespace {

DataFileLocation unusable(DataError error) {
    return {{}, FolderCreation::CreateOwnFolder, {}, std::move(error)};
}

} // namespace

DataFileLocation jushoDataFileLocation() {
    // No drive letters here: the file lives in the user's own data folder, in a folder that
    // belongs to this program. A relative XDG_DATA_HOME is ignored, as the XDG rules say: it
    // would put the address book wherever the program happened to be started. A place is used
    // byte for byte as the environment gives it; one that is no text cannot be named in a
    // message or reached again exactly, so it is refused rather than guessed at.
    const char *variable = "XDG_DATA_HOME";
    QByteArray base = qgetenv(variable);
    QByteArray under = "/Pellinova/Tovrin.txt";
    if (!base.startsWith('/')) {
        variable = "HOME";
        base = qgetenv(variable);
        under.prepend("/.local/share");
        if (!base.startsWith('/'))
            return unusable({.kind = DataError::Kind::HomeUnset});
    }
    const QString decoded = QFile::decodeName(base);
    if (QFile::encodeName(decoded) != base)
        return unusable({.kind = DataError::Kind::PathNotText,
                         .path = decoded,
                         .detail = QLatin1String(variable)});
    return {decoded + QFile::decodeName(under), FolderCreation::CreateOwnFolder};
}
