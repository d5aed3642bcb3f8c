#pragma once

#include "data_file_location.h"
#include "data_folder.h"
#include "result.h"

// Earlier versions, 32-bit and without a manifest, had Windows keep what they wrote under
// C:\Program Files in the user's own copy (VirtualStore), and show them that copy when they
// read; this version does the same for itself where the location names such a copy. The
// file a read or an append uses is the user's copy wherever it exists; else the file at the
// program's path, when the user may write it or only reads; else the user's copy, made whole
// from that file first. Without a copy named, the file at the program's path.
[[nodiscard]] Result<DataFileLocation> fileToUse(const DataFileLocation &location,
                                                 DataFolder::Access access);
