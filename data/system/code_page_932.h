#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The platform's own code page 932 converter (ICU through Qt on Linux, Windows' own on
// Windows), for runs of text in which shift_jis.cpp has already set the control codes apart.
namespace ShiftJis::Codec {

// Appends the text the bytes stand for; false if they are not all valid code page 932.
bool decodeRun(QByteArrayView run, QString &out);

// The same, with U+FFFD in place of each byte, or pair of bytes, that is not a character
// (never taking a following '"' with it); false if anything was stood in for.
bool decodeRunShowingErrors(QByteArrayView run, QString &out);

// Appends the bytes for the text; false if code page 932 cannot hold it so that it reads back
// as the very same text.
bool encodeRun(QStringView run, QByteArray &out);

} // namespace ShiftJis::Codec
