#include "user_copy.h"

#include "data_file_io.h"

#include <QFileInfo>

namespace {

// Makes the user's copy from the file, as Windows did at an earlier version's first write:
// whole and on the disk under a passing name first, then under its own, unless another copy
// of the program made it meanwhile. Nothing else is changed if a step fails.
Status makeUserCopy(const QString &from, const DataFileLocation &copy) {
    const auto folder = DataFolder::open(copy, DataFolder::Access::Append);
    if (!folder.ok())
        return folder.error();
    const auto bytes = readDataFile({from});
    if (!bytes.ok())
        return bytes.error().kind == DataError::Kind::FileMissing ? Status() : bytes.error();
    const QString name = QFileInfo(copy.path).fileName();
    return writeInPlace(folder.value(), name, bytes.value(), [&](const QString &passing) {
        return folder.value().moveUnlessThere(passing, name);
    });
}

} // namespace

Result<DataFileLocation> fileToUse(const DataFileLocation &location, DataFolder::Access access) {
    if (location.unusable)
        return *location.unusable;
    const DataFileLocation atProgram{location.path, location.folders};
    if (location.userCopy.isEmpty())
        return atProgram;
    const DataFileLocation copy{location.userCopy, FolderCreation::CreateOwnFolder};
    if (QFileInfo::exists(copy.path))
        return copy;
    if (access == DataFolder::Access::Read || mayWrite(location.path))
        return atProgram;
    if (Status made = makeUserCopy(location.path, copy); !made.ok())
        return made.error();
    return copy;
}
