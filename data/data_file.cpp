#include "data_file.h"

// Placeholder until the reader and writer land.
LoadResult LoadJushoTable(JushoTable &, const QString &path) {
    return {0, DataError{DataError::Kind::FileMissing, path}};
}

std::optional<DataError> AppendJushoRecord(const JushoRecord &, const QString &path,
                                           FolderCreation) {
    return DataError{DataError::Kind::WriteFailed, path};
}
