#include "data_error.h"

namespace {

QString fieldName(qint16 field) {
    switch (field) {
    case 0:
        return QStringLiteral("名前");
    case 1:
        return QStringLiteral("住所");
    case 2:
    case 3:
    case 4:
    case 5:
        return QStringLiteral("各アドレス%1").arg(field - 1);
    case 6:
        return QStringLiteral("その関係");
    case 7:
        return QStringLiteral("補足情報");
    default:
        return QStringLiteral("欄%1").arg(field + 1);
    }
}

// The character as the user typed it, and its code, so that an invisible one can be found.
QString describe(char32_t c) {
    const QString code =
        QStringLiteral("U+%1").arg(uint(c), c > 0xFFFF ? 5 : 4, 16, QLatin1Char('0')).toUpper();
    const bool showable = c > 0x20 && !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF;
    if (!showable)
        return code;
    // fromUcs4() would drop a U+FEFF as a byte order mark.
    const QString text = c > 0xFFFF ? QString::fromUcs4(&c, 1) : QString(QChar(char16_t(c)));
    return QStringLiteral("「%1」（%2）").arg(text, code);
}

QString because(const QString &detail) {
    return detail.isEmpty() ? QString() : QStringLiteral("（%1）").arg(detail);
}

} // namespace

QString DataError::message() const {
    const QString unchanged =
        fileChanged ? QStringLiteral("ファイルの末尾に書きかけの行が残っているおそれがあります。")
                    : QStringLiteral("ファイルは元のままです。");
    const QString where = QStringLiteral("ファイル: %1").arg(path);

    switch (kind) {
    case Kind::FileMissing:
        return QStringLiteral(
                   "住所録はまだ空です。\n"
                   "「登録」で最初の人を追加すると、「開く」で氏名が一覧に出ます。\n\n%1")
            .arg(where);
    case Kind::NotAFile:
        return QStringLiteral(
                   "データファイルの場所にファイルではないもの（フォルダなど）があるため、"
                   "読み書きできません。\n場所: %1")
            .arg(path);
    case Kind::CannotOpen:
        return QStringLiteral("データファイルを開けませんでした%1。\n%2\n"
                              "ファイルのアクセス権を確かめてください。")
            .arg(because(detail), where);
    case Kind::ReadFailed:
        return QStringLiteral("データファイルを読み込む途中でエラーが起きました%1。\n%2")
            .arg(because(detail), where);
    case Kind::TooManyRecords:
        return QStringLiteral("データファイルに100件を超える記録があります。"
                              "扱えるのは100件までのため、%1件目で読み込みを止めました。\n%2")
            .arg(record)
            .arg(where);
    case Kind::RecordCutShort:
        return QStringLiteral("データファイルが%1件目の記録の途中（「%2」の欄）で終わっています。\n"
                              "記録が欠けているか、最後に空の行があります。"
                              "メモ帳などで直してください。\n%3")
            .arg(record)
            .arg(fieldName(field), where);
    case Kind::NotShiftJis:
        return QStringLiteral(
                   "データファイルの%1件目の記録の「%2」の欄に、"
                   "Shift-JIS として読めないバイトがあります。"
                   "別の文字コード（UTF-8 など）で保存されていないか確かめてください。\n%3")
            .arg(record)
            .arg(fieldName(field), where);
    case Kind::FolderMissing:
        return QStringLiteral(
                   "データファイルを置くフォルダがありません。\nフォルダ: %1\n"
                   "何も書き込んでいません。フォルダを作ってから、もう一度お試しください。")
            .arg(path);
    case Kind::CannotCreateFolder:
        return QStringLiteral("データファイルを置くフォルダを作れませんでした%1。\nフォルダ: %2\n"
                              "何も書き込んでいません。")
            .arg(because(detail), path);
    case Kind::QuoteInField:
        return QStringLiteral(
                   "「%1」に半角の二重引用符（\"）があるため、追加できません。"
                   "この文字はデータファイルの区切りに使われます。\n"
                   "取り除くか全角の文字に替えてから、もう一度「追加」を押してください。\n"
                   "何も書き込んでいません。")
            .arg(fieldName(field));
    case Kind::CannotEncode:
        return QStringLiteral("「%1」の文字%2は、データファイルの文字コード（Shift-JIS）で"
                              "保存できないため、追加できません。\n"
                              "取り除くか別の文字に替えてから、もう一度「追加」を押してください。\n"
                              "何も書き込んでいません。")
            .arg(fieldName(field), describe(character));
    case Kind::AddressBookFull:
        return QStringLiteral("住所録はすでに100件あり、これ以上は追加できません。\n%1\n%2")
            .arg(where, unchanged);
    case Kind::ExistingFileBroken:
        return QStringLiteral("今のデータファイルを正しく読み込めないため、追加しませんでした。%1\n"
                              "ファイルを直してから、もう一度「追加」を押してください。\n\n%2")
            .arg(unchanged, detail);
    case Kind::DiskFull:
        return QStringLiteral(
                   "ディスクに空きがないため、データファイルに書き込めませんでした%1。\n%2\n%3")
            .arg(because(detail), where, unchanged);
    case Kind::FileTooLarge:
        return QStringLiteral(
                   "ファイルの大きさの上限を超えるため、データファイルに書き込めませんでした"
                   "%1。\n%2\n%3")
            .arg(because(detail), where, unchanged);
    case Kind::WriteFailed:
        return QStringLiteral("データファイルに書き込めませんでした%1。\n%2\n%3")
            .arg(because(detail), where, unchanged);
    }
    return QStringLiteral("データファイルを扱えませんでした。\n%1").arg(where);
}
