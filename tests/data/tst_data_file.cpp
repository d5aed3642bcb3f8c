#include "data_file.h"
#include "test_support.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <sys/stat.h>

using Kind = DataError::Kind;

namespace {

const QByteArray kLine = "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\"\r\n";
const QByteArray kBlankLine = "\"\",\"\",\";\",\";\",\";\",\";\",\"\",\"\"\r\n";
const QString kBlank = QStringLiteral("||;|;|;|;||");

JushoRecord jushoRecord(const QString &cellsByBar) {
    const QStringList cells = cellsByBar.split(u'|');
    JushoRecord record;
    std::copy_n(cells.begin(), std::min<qsizetype>(cells.size(), kJushoFieldCount), record.begin());
    return record;
}

QString tableRow(const JushoTable &table, qint16 row) {
    QStringList cells;
    for (qint16 column = 0; column < kJushoFieldCount; ++column)
        cells << table.cell(row, column);
    return cells.join(u'|');
}

QString numbered(int i) {
    return QStringLiteral("人%1|住所%1|自宅;%1|;|;|;|友人|").arg(i);
}

int kindOf(const std::optional<DataError> &error) {
    return error ? int(error->kind) : -1;
}

int modeOf(const QString &path) {
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

} // namespace

// The data file: the line an append writes or refuses, and what a load makes of a file.
class TestDataFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    int m_serial = 0;

private slots:
    void init() { m_path = m_dir.filePath(QStringLiteral("Tovrin%1.txt").arg(++m_serial)); }

    void appendsTheLineOrNothing_data() {
        QTest::addColumn<QByteArray>("before"); // "(none)": no file yet
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("named"); // in the message, parts separated by "・"
        QTest::addColumn<QByteArray>("after");
        const QByteArray none = "(none)";
        QTest::newRow("all blank") << none << kBlank << -1 << "" << kBlankLine;
        const auto roundTrip = [&](const char *name, const QString &record) {
            QTest::newRow(name) << none << record << -1 << ""
                                << shiftJisLines({record.split(u'|')});
        };
        roundTrip("commas and semicolons", "a,b|東京都, 千代田区|自宅;03,1|;;|携帯;|;x|友人|,");
        roundTrip("notes ending in CR LF", "鈴木|||||||メモ\r\n2行目\r\n");
        roundTrip("Japanese and spaces", " 髙橋　ｱｲｳ |①Ⅹ㈱|ＰＨＳ;０９０|;|;|;|ネット友達|　");
        QTest::newRow("no line end before")
            << kLine.chopped(2) << kBlank << -1 << "" << kLine + kBlankLine;
        QTest::newRow("lone CR before")
            << kLine.chopped(1) << kBlank << -1 << "" << kLine.chopped(1) + "\r\n" + kBlankLine;
        QTest::newRow("lone LF before")
            << kLine.chopped(2) + "\n"
            << kBlank << -1 << "" << kLine.chopped(2) + "\n" + kBlankLine;
        QTest::newRow("double quote")
            << kLine << "a|||||||say \"hi\"" << int(Kind::QuoteInField) << "補足情報" << kLine;
        QTest::newRow("emoji") << none << QString::fromUtf8("a|||携帯;😀||||")
                               << int(Kind::CannotEncode) << "各アドレス2・U+1F600" << none;
        QTest::newRow("kanji outside the code page")
            << kLine << QString::fromUtf8("a|森鷗外||||||") << int(Kind::CannotEncode)
            << "住所・鷗・U+9DD7" << kLine;
        const QByteArray cutShort = kLine + "\"x\",\"y\"\r\n";
        QTest::newRow("existing file cut short")
            << cutShort << kBlank << int(Kind::ExistingFileBroken) << "元のまま・2件目" << cutShort;
        const QByteArray notShiftJis = "\"\x85\x40\"" + kLine.mid(3);
        QTest::newRow("existing file not Shift-JIS")
            << notShiftJis << kBlank << int(Kind::ExistingFileBroken) << "元のまま・Shift-JIS"
            << notShiftJis;
    }

    void appendsTheLineOrNothing() {
        QFETCH(QByteArray, before);
        QFETCH(QString, record);
        QFETCH(int, kind);
        QFETCH(QString, named);
        QFETCH(QByteArray, after);
        if (before != "(none)")
            QVERIFY(writeFile(m_path, before));
        const auto error = AppendJushoRecord(jushoRecord(record), m_path);
        QCOMPARE(kindOf(error), kind);
        for (const QString &part : named.split(u'・', Qt::SkipEmptyParts))
            QVERIFY2(error->message().contains(part), qPrintable(error->message()));
        QCOMPARE(fileBytes(m_path), after);
        if (error)
            return;
        JushoTable table; // what was added reads back as typed
        const LoadResult loaded = LoadJushoTable(table, m_path);
        QVERIFY(loaded.ok());
        QCOMPARE(tableRow(table, loaded.count), record);
    }

    void loads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("record");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("row1");
        const QString abc = QStringLiteral("a|b|c|d|e|f|g|h");
        QTest::newRow("lone LF") << kLine.chopped(2) + "\n" + kLine.chopped(2) + "\n"
                                 << 2 << -1 << 0 << 0 << abc;
        QTest::newRow("unquoted fields trimmed")
            << QByteArray("  a b ,c,, \"d\",\"e\" x y,f ,g,h\r\n") << 1 << -1 << 0 << 0
            << "a b|c||\"d\"|e|f|g|h";
        QTest::newRow("blank line at the end") << kLine + "\r\n"
                                               << 1 << int(Kind::RecordCutShort) << 2 << 1 << abc;
        QTest::newRow("ends inside a record")
            << QByteArray("\"a\",\"b\",\"c\"\r\n") << 0 << int(Kind::RecordCutShort) << 1 << 3
            << "a|b|c|;|;|;|友人|"; // the rest as the earlier load left it
        QTest::newRow("not Shift-JIS")
            << kLine + "\"x\",\"\x85\x40\"" << 1 << int(Kind::NotShiftJis) << 2 << 1 << abc;
    }

    void loads() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFETCH(int, kind);
        QFETCH(int, record);
        QFETCH(int, field);
        QFETCH(QString, row1);
        // Into a table that a longer file filled: the rows above this one's records stay.
        for (int i = 1; i <= 3; ++i)
            QVERIFY(!AppendJushoRecord(jushoRecord(numbered(i)), m_path));
        JushoTable table;
        QCOMPARE(LoadJushoTable(table, m_path).count, 3);
        QVERIFY(writeFile(m_path, bytes));
        const LoadResult loaded = LoadJushoTable(table, m_path);
        QCOMPARE(loaded.count, count);
        QCOMPARE(kindOf(loaded.error), kind);
        if (loaded.error) {
            QCOMPARE(loaded.error->record, record);
            QCOMPARE(loaded.error->field, field);
        }
        QCOMPARE(tableRow(table, 1), row1);
        QCOMPARE(tableRow(table, 3), numbered(3));
    }

    void hundredRecordsFitAndNoMore() {
        for (int i = 1; i <= 100; ++i)
            QVERIFY(!AppendJushoRecord(jushoRecord(numbered(i)), m_path));
        JushoTable table;
        QCOMPARE(LoadJushoTable(table, m_path).count, 100);

        const QByteArray hundred = fileBytes(m_path);
        QCOMPARE(kindOf(AppendJushoRecord(jushoRecord(numbered(101)), m_path)),
                 int(Kind::AddressBookFull));
        QCOMPARE(fileBytes(m_path), hundred);

        QVERIFY(writeFile(m_path, hundred + "\"101\"\r\n"));
        JushoTable again;
        const LoadResult loaded = LoadJushoTable(again, m_path);
        QCOMPARE(kindOf(loaded.error), int(Kind::TooManyRecords));
        QCOMPARE(loaded.error->record, 101);
        QCOMPARE(tableRow(again, 100), numbered(100));
    }

    void refusesWhatIsNotAFile() {
        JushoTable table;
        QCOMPARE(kindOf(LoadJushoTable(table, m_path).error), int(Kind::FileMissing));
        // A pipe is refused at once instead of waiting for a writer.
        QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
        QCOMPARE(kindOf(LoadJushoTable(table, m_path).error), int(Kind::NotAFile));
        QCOMPARE(kindOf(AppendJushoRecord(JushoRecord{}, m_path)), int(Kind::NotAFile));
    }

    void createsOnlyItsOwnFolder() {
        const QString share = m_dir.filePath(QStringLiteral("share"));
        const QString path = share + QStringLiteral("/Pellinova/Tovrin.txt");
        const JushoRecord record = jushoRecord(numbered(1));
        QCOMPARE(kindOf(AppendJushoRecord(record, path)), int(Kind::FolderMissing));
        QVERIFY(!QFileInfo::exists(share));

        QVERIFY(!AppendJushoRecord(record, path, FolderCreation::CreateOwnFolder));
        QCOMPARE(modeOf(share), 0700);
        QCOMPARE(modeOf(share + QStringLiteral("/Pellinova")), 0700);
        QCOMPARE(modeOf(path), 0600);

        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("plain")), "x"));
        QCOMPARE(kindOf(AppendJushoRecord(record, m_dir.filePath(QStringLiteral("plain/P/T.txt")),
                                          FolderCreation::CreateOwnFolder)),
                 int(Kind::CannotCreateFolder));
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_data_file.moc"
