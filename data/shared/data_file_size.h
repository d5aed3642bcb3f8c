#pragma once

#include <QtGlobal>

// No address book of 100 people comes near this size: a file past it is refused before it
// is read, so that a damaged or planted giant can neither freeze the program nor fill its
// memory, and no record is added that would take the file past it.
inline constexpr qint64 kMaxDataFileBytes = 16 * 1024 * 1024;
