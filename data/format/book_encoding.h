#pragma once

#include <QByteArrayView>
#include <QString>

// The address book is Shift-JIS. A book that a text editor saved again as UTF-8 (as current
// editors do by default) is still read right, and is turned back into Shift-JIS, whole,
// before anything is added to it, so that a file never holds two encodings.
enum class BookEncoding { ShiftJis, Utf8 };

// UTF-8 when the bytes start with its byte order mark, or are all valid UTF-8 with at least
// one character beyond ASCII; ASCII alone reads the same either way.
BookEncoding encodingOf(QByteArrayView bytes);

// The bytes after a UTF-8 byte order mark, if there is one.
QByteArrayView withoutByteOrderMark(QByteArrayView bytes);

// The text of UTF-8 bytes, every character as it stands: a U+FEFF at the start is kept, where
// QString::fromUtf8() would drop it. Bytes that are not UTF-8 show as U+FFFD.
QString textOfUtf8(QByteArrayView bytes);
