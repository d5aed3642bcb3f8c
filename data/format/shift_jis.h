#pragma once

#include "result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Shift-JIS as Windows code page 932 writes and reads it.
namespace ShiftJis {

// The text the bytes stand for; NotShiftJis if they are not complete, valid Shift-JIS.
Result<QString> decode(QByteArrayView bytes);

// The text the bytes stand for, with U+FFFD in place of each byte sequence that is not
// Shift-JIS, so that a damaged field can still be shown; then with a NotShiftJis warning.
Result<QString> decodeForShowing(QByteArrayView bytes);

// The bytes for the text; CannotEncode, naming the first character Shift-JIS cannot hold.
// Look-alike characters that input methods type (〜 U+301C, − U+2212, ...) are written as the
// code page's own characters they stand for.
Result<QByteArray> encode(QStringView text);

} // namespace ShiftJis
