#pragma once

#include "data_file.h"

#include <QString>

#include <optional>

// Makes sure the folder holding the data file exists, creating it (owner-only, 0700)
// only when it is the program's own folder.
std::optional<DataError> ensureDataFolder(const QString &filePath, FolderCreation folders);
