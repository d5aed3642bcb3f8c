#include "data_error.h"

#include "data_file_size.h"
#include "jusho_record.h"

namespace {

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

QString megabytes(qint64 bytes) {
    return QStringLiteral("%1 MB").arg((bytes + (1 << 20) - 1) >> 20);
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
    case Kind::Busy:
        return QStringLiteral("住所録は、いまほかの Pellinova が読み書きしています。\n"
                              "少し待ってから、もう一度お試しください。何も変えていません。\n%1")
            .arg(where);
    case Kind::NotYours:
        return QStringLiteral("住所録の場所にあるものが別のユーザーの持ち物のため、"
                              "安全のため読み書きしません。\n場所: %1\n"
                              "これを取り除くか、自分のものに替えてから、もう一度お試しください。")
            .arg(path);
    case Kind::FileTooBig:
        return QStringLiteral("データファイルが大きすぎます（%1）。住所録として扱えるのは %2 "
                              "までのため、読み書きしません。\n%3")
            .arg(megabytes(bytes), megabytes(kMaxDataFileBytes), where);
    case Kind::TooManyRecords:
        return QStringLiteral("データファイルに100件を超える記録があります。"
                              "扱えるのは100件までのため、%1件目で読み込みを止め、"
                              "それより前の記録を一覧に出しました。\n%2")
            .arg(record)
            .arg(where);
    case Kind::RecordCutShort:
        return QStringLiteral("データファイルが%1件目の記録の途中（「%2」の欄）で終わっています。"
                              "記録が欠けているか、最後に空の行があります。\n"
                              "それより前の記録を一覧に出しました。次に「登録」で人を追加するとき、"
                              "途中で終わっている部分を別のファイルに取り分けられます。\n%3")
            .arg(record)
            .arg(jushoFieldName(field), where);
    case Kind::NotShiftJis:
        return QStringLiteral(
                   "データファイルの%1件目の記録の「%2」の欄に、Shift-JIS として"
                   "読めないバイトがあります。読めない部分は「\uFFFD」で表しています"
                   "（ファイルは変えていません）。\n"
                   "別の文字コード（UTF-8 など）で保存されていないか確かめてください。\n%3")
            .arg(record)
            .arg(jushoFieldName(field), where);
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
            .arg(jushoFieldName(field));
    case Kind::CannotEncode:
        return QStringLiteral("「%1」の文字%2は、データファイルの文字コード（Shift-JIS）で"
                              "保存できないため、追加できません。\n"
                              "取り除くか別の文字に替えてから、もう一度「追加」を押してください。\n"
                              "何も書き込んでいません。")
            .arg(jushoFieldName(field), describe(character));
    case Kind::AddressBookFull:
        return QStringLiteral("住所録はすでに100件あり、これ以上は追加できません。\n%1\n%2")
            .arg(where, unchanged);
    case Kind::NoRoomForRecord:
        return QStringLiteral(
                   "この人を加えると、データファイルが住所録として扱える大きさ（%1）を"
                   "超えるため、追加できません。\n"
                   "補足情報などを短くしてから、もう一度「追加」を押してください。\n%2\n%3")
            .arg(megabytes(kMaxDataFileBytes), where, unchanged);
    case Kind::LastRecordIncomplete:
        return QStringLiteral("データファイルの最後の記録（%1件目）が途中で終わっています。"
                              "書き込みの途中でプログラムが止まったのかもしれません。\n%2\n\n"
                              "途中で終わっている部分（%3バイト）を同じフォルダの別のファイルに"
                              "取り分けてから、この人を追加しますか？\n"
                              "取り分けた部分は消さずに残します。"
                              "「いいえ」を選ぶと、何も変えずに戻ります。")
            .arg(record)
            .arg(where)
            .arg(bytes);
    case Kind::CannotSetAside:
        return QStringLiteral("途中で終わっている記録を別のファイルに取り分けられませんでした%1。\n"
                              "場所: %2\n何も追加していません。データファイルは元のままです。")
            .arg(because(detail), path);
    case Kind::DiskFull:
        return QStringLiteral(
                   "ディスクに空きがないため、データファイルに書き込めませんでした%1。\n%2\n%3")
            .arg(because(detail), where, unchanged);
    case Kind::FileSizeLimit:
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
