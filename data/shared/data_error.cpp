#include "data_error.h"

#include "data_file_size.h"
#include "jusho_fields.h"

#include <QDir>

// Every message is put together from whole texts, each inserted once (QString::arg with
// several arguments), so that a path or a field holding "%1" shows as it is.

namespace {

using Kind = DataError::Kind;

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

QString megabytes(qint64 bytes) {
    return QStringLiteral("%1 MB").arg((bytes + (1 << 20) - 1) >> 20);
}

QString number(qint64 n) {
    return QString::number(n);
}

// What happened, then where, then what to do.
QString told(const QString &what, const QString &where, const QString &then = {}) {
    return then.isEmpty() ? QStringLiteral("%1\n%2").arg(what, where)
                          : QStringLiteral("%1\n%2\n%3").arg(what, where, then);
}

} // namespace

QString DataError::message() const {
    // The one way every message says that nothing was changed, or that something may have been.
    const QString unchanged = fileChanged ? QStringLiteral("データファイルの末尾に、書きかけの行が"
                                                           "残っているおそれがあります。")
                                          : QStringLiteral("住所録は元のままです。");
    const QString shownPath = QDir::toNativeSeparators(path); // C:\ on Windows
    const QString file = QStringLiteral("ファイル：%1").arg(shownPath);
    const QString folder = QStringLiteral("フォルダー：%1").arg(shownPath);
    const QString place = QStringLiteral("場所：%1").arg(shownPath);
    const QString tryAgain = QStringLiteral("もう一度お試しください。");
    const QString pressAddAgain = QStringLiteral("もう一度「追加」を押してください。");

    switch (kind) {
    case Kind::FileMissing:
        return told(QStringLiteral("住所録はまだ空です。「登録」で最初の人を追加すると、"
                                   "「開く」で氏名が一覧に出ます。"),
                    file);
    case Kind::NotAFile:
        return told(QStringLiteral("データファイルの場所に、ファイルではないもの"
                                   "（フォルダーやパイプなど）があるため、読み書きできません。"),
                    place, QStringLiteral("これを移すか名前を変えてから、%1").arg(tryAgain));
    case Kind::CannotOpenFolder:
        return told(QStringLiteral("データファイルのフォルダーを開けませんでした。%1").arg(detail),
                    folder);
    case Kind::CannotOpen:
        return told(QStringLiteral("データファイルを開けませんでした。%1").arg(detail), file);
    case Kind::ReadFailed:
        return told(
            QStringLiteral("データファイルを読み込む途中でエラーが起きました。%1").arg(detail),
            file);
    case Kind::Busy:
        return told(QStringLiteral("住所録のファイルを、いまほかのプログラム"
                                   "（別に起動した Pellinova など）が使っています。"),
                    file, QStringLiteral("少し待ってから、%1%2").arg(tryAgain, unchanged));
    case Kind::NotYours:
        return told(QStringLiteral("住所録の場所にある次のものは、所有者が別のユーザーです。"
                                   "安全のため、住所録を読み書きしません。"),
                    place,
                    QStringLiteral("これを取り除くか自分のものに替えてから、%1").arg(tryAgain));
    case Kind::OpenToOthers:
        return told(QStringLiteral("住所録までの途中に、ほかのユーザーも書き込めるフォルダーが"
                                   "あります。安全のため、住所録を読み書きしません。"),
                    folder,
                    QStringLiteral("このフォルダーのアクセス権から、ほかのユーザーの書き込みを"
                                   "外してから、%1")
                        .arg(tryAgain));
    case Kind::FileTooBig:
        return told(QStringLiteral("データファイルが大きすぎます（%1）。住所録として扱えるのは"
                                   " %2 までのため、読み書きしません。")
                        .arg(megabytes(bytes), megabytes(kMaxDataFileBytes)),
                    file);
    case Kind::TooManyRecords:
        return told(QStringLiteral("データファイルに100件を超える記録があります。扱えるのは"
                                   "100件までのため、%1件目で読み込みを止め、それより前の記録を"
                                   "一覧に出しました。")
                        .arg(number(record)),
                    file);
    case Kind::RecordCutShort:
        return told(QStringLiteral("データファイルが%1件目の記録の途中（「%2」の欄）で終わって"
                                   "います。記録が欠けているか、最後に空の行があります。\n"
                                   "それより前の記録を一覧に出しました。次に「登録」で人を追加"
                                   "するとき、途中で終わっている部分を別のファイルに退避できます。")
                        .arg(number(record), jushoFieldName(field)),
                    file);
    case Kind::NotShiftJis:
        return told(QStringLiteral("データファイルの%1件目の記録の「%2」の欄に、Shift-JIS として"
                                   "読めないバイトがあります。読めない部分は「\uFFFD」で表示して"
                                   "います。\n別の文字コード（UTF-8 など）で保存されていないか"
                                   "確かめてください。")
                        .arg(number(record), jushoFieldName(field)),
                    file, unchanged);
    case Kind::SavedAsUtf8:
        return told(QStringLiteral("この住所録は UTF-8 で保存されています（テキストエディターで"
                                   "保存し直されたのかもしれません）。UTF-8 として読み込み、"
                                   "一覧に出しました。\nこのままでは、以前の版の Pellinova では"
                                   "読めません。次に「登録」で人を追加するとき、Shift-JIS に戻す"
                                   "かどうかをお聞きします。"),
                    file);
    case Kind::HomeUnset:
        return QStringLiteral("ホームフォルダーの場所（環境変数 HOME）が設定されていないか、"
                              "絶対パスではないため、住所録の場所を決められません。\n"
                              "HOME にホームフォルダーを設定してから、Pellinova を起動し直して"
                              "ください。");
    case Kind::PathNotText:
        return told(QStringLiteral("環境変数 %1 のフォルダー名に、文字として読めないバイトがある"
                                   "ため、住所録の場所を決められません。")
                        .arg(detail),
                    QStringLiteral("%1：%2").arg(detail, shownPath),
                    QStringLiteral("%1 を UTF-8 のフォルダー名に直すか設定を外してから、"
                                   "Pellinova を起動し直してください。")
                        .arg(detail));
    case Kind::FolderMissing:
        return told(QStringLiteral("データファイルを置くフォルダーがありません。"), folder,
                    QStringLiteral("フォルダーを作ってから、%1%2").arg(tryAgain, unchanged));
    case Kind::CannotCreateFolder:
        return told(
            QStringLiteral("データファイルを置くフォルダーを作れませんでした。%1").arg(detail),
            folder, unchanged);
    case Kind::QuoteInField:
        return QStringLiteral("「%1」に半角の二重引用符（\"）があるため、追加できません。"
                              "この文字はデータファイルの区切りに使われます。\n"
                              "取り除くか全角の文字に替えてから、%2\n%3")
            .arg(jushoFieldName(field), pressAddAgain, unchanged);
    case Kind::CannotEncode:
        return QStringLiteral("「%1」の文字%2は、データファイルの文字コード（Shift-JIS）で保存"
                              "できないため、追加できません。\n"
                              "取り除くか別の文字に替えてから、%3\n%4")
            .arg(jushoFieldName(field), describe(character), pressAddAgain, unchanged);
    case Kind::AddressBookFull:
        return told(QStringLiteral("住所録にはすでに100件あり、これ以上は追加できません。"), file,
                    unchanged);
    case Kind::NoRoomForRecord:
        return told(QStringLiteral("この人を加えると、データファイルが住所録として扱える大きさ"
                                   "（%1）を超えるため、追加できません。\n"
                                   "補足情報などを短くしてから、%2")
                        .arg(megabytes(kMaxDataFileBytes), pressAddAgain),
                    file, unchanged);
    case Kind::LastRecordIncomplete:
        return told(QStringLiteral("データファイルの最後の記録（%1件目）が途中で終わっています。"
                                   "書き込みの途中でプログラムが止まったのかもしれません。")
                        .arg(number(record)),
                    file,
                    QStringLiteral("\n途中で終わっている部分（%1バイト）を同じフォルダーの別の"
                                   "ファイルに退避してから、この人を追加しますか？\n"
                                   "退避した部分は消さずに残します。「いいえ」を選んだ場合、"
                                   "住所録は元のままです。")
                        .arg(number(bytes)));
    case Kind::NotAnAddressBook:
        return told(
            QStringLiteral("データファイルの%1件目から先が、住所録の記録の形になって"
                           "いません。住所録ではないファイルかもしれないため、追加しません。")
                .arg(number(record)),
            file,
            QStringLiteral("ファイルの中身をテキストエディターで確かめてください。%1")
                .arg(unchanged));
    case Kind::Utf8BookNotConverted:
        return told(
            QStringLiteral("この住所録は UTF-8 で保存されています。このまま追加すると、"
                           "一つのファイルに二つの文字コードが混ざり、全体を読めるプログラム"
                           "がなくなります。"),
            file,
            QStringLiteral("\n住所録を Shift-JIS に戻してから、この人を追加しますか？\n"
                           "UTF-8 のファイルは消さずに、同じフォルダーに別の名前で残します。"
                           "「いいえ」を選んだ場合、住所録は元のままです。"));
    case Kind::CannotConvertBook:
        return told(
            QStringLiteral("この住所録は UTF-8 で保存されていて、%1文字%2は Shift-JIS で"
                           "保存できないため、Shift-JIS に戻せません。この人も追加できません。")
                .arg(record > 0 ? QStringLiteral("%1件目の記録の「%2」の欄にある")
                                      .arg(number(record), jushoFieldName(field))
                                : QString(),
                     describe(character)),
            file,
            QStringLiteral("テキストエディターでこの文字を取り除くか別の文字に替えてから、"
                           "%1\n%2")
                .arg(pressAddAgain, unchanged));
    case Kind::CannotSetAside:
        return told(QStringLiteral("途中で終わっている記録を別のファイルに退避できませんでした。"
                                   "%1")
                        .arg(detail),
                    folder, unchanged);
    case Kind::DiskFull:
        return told(
            QStringLiteral("ディスクに空きがないため、データファイルに書き込めません"
                           "でした。"),
            file,
            QStringLiteral("ディスクの空きを増やしてから、%1\n%2").arg(pressAddAgain, unchanged));
    case Kind::FileSizeLimit:
        return told(
            QStringLiteral("ファイルの大きさの上限を超えるため、データファイルに書き込め"
                           "ませんでした。"),
            file, QStringLiteral("この上限を引き上げてから、%1\n%2").arg(pressAddAgain, unchanged));
    case Kind::WriteFailed:
        return told(QStringLiteral("データファイルに書き込めませんでした。%1").arg(detail), file,
                    unchanged);
    }
    return told(QStringLiteral("データファイルを扱えませんでした。"), file);
}
