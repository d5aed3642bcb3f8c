#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Shift-JIS as Windows code page 932 writes and reads it.
namespace ShiftJis {

// The text the bytes stand for, or nothing if they are not complete, valid Shift-JIS.
std::optional<QString> decode(QByteArrayView bytes);

struct Shown {
    QString text;
    bool substituted = false; // some bytes were not Shift-JIS and show as U+FFFD
};

// The text the bytes stand for, with U+FFFD in place of each byte sequence that is not
// Shift-JIS, so that a damaged field can still be shown.
Shown decodeForShowing(QByteArrayView bytes);

struct Encoded {
    QByteArray bytes;
    std::optional<char32_t> refused; // the first character that Shift-JIS cannot hold

    bool ok() const { return !refused.has_value(); }
};

// The bytes for the text. Look-alike characters that input methods type (〜 U+301C,
// − U+2212, ...) are written as the code page's own characters they stand for.
Encoded encode(QStringView text);

} // namespace ShiftJis
