#include "data_test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using Kind = DataError::Kind;

// The data file's format, written and read back, and how hand-edited files load.
class TestJushoFileLoad : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_serial = 0;

private slots:
    void init() { m_path = m_dir.filePath(QStringLiteral("Tovrin%1.txt").arg(++m_serial)); }

    void writesExactBytes_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("all blank")
            << "||;|;|;|;||" << QByteArray("\"\",\"\",\";\",\";\",\";\",\";\",\"\",\"\"\r\n");
        QTest::newRow("look-alikes stored as code page 932")
            << QString::fromUtf8("山田〜|1−2|;|;|;|;||メモ\r\n")
            << QByteArray("\"\x8eR\x93\x63\x81\x60\",\"1\x81|2\",\";\",\";\",\";\",\";\",\"\","
                          "\"\x83\x81\x83\x82\r\n\"\r\n");
    }

    void writesExactBytes() {
        QFETCH(QString, record);
        QFETCH(QByteArray, bytes);
        QCOMPARE(kindOf(AppendJushoRecord(jushoRecord(record), m_path)), -1);
        QCOMPARE(fileBytes(m_path), bytes);
    }

    void roundTrips_data() {
        QTest::addColumn<QString>("record");
        QTest::newRow("commas and semicolons")
            << "a,b|東京都, 千代田区|自宅;03,1|;;|携帯;|;x|友人|,";
        QTest::newRow("notes ending in CR LF") << QString::fromUtf8("鈴木|||||||メモ\r\n2行目\r\n");
        QTest::newRow("Japanese and spaces kept")
            << QString::fromUtf8(" 髙橋　ｱｲｳ |①Ⅹ㈱|ＰＨＳ;０９０|;|;|;|ネット友達|　");
    }

    void roundTrips() {
        QFETCH(QString, record);
        QCOMPARE(kindOf(AppendJushoRecord(jushoRecord(record), m_path)), -1);
        QCOMPARE(kindOf(AppendJushoRecord(jushoRecord(numbered(2)), m_path)), -1);
        JushoTable table;
        const LoadResult loaded = LoadJushoTable(table, m_path);
        QVERIFY(loaded.ok());
        QCOMPARE(loaded.count, 2);
        QCOMPARE(tableRow(table, 1), record);
        QCOMPARE(tableRow(table, 2), numbered(2));
    }

    void loads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("record");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("row1");
        const QByteArray line = "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\"";
        QTest::newRow("empty file") << QByteArray() << 0 << -1 << 0 << 0 << "|||||||";
        QTest::newRow("lone LF") << line + "\n" + line + "\n"
                                 << 2 << -1 << 0 << 0 << "a|b|c|d|e|f|g|h";
        QTest::newRow("no line end at the end") << line << 1 << -1 << 0 << 0 << "a|b|c|d|e|f|g|h";
        QTest::newRow("unquoted fields trimmed")
            << QByteArray("  a b ,c,, \"d\",\"e\" x y,f ,g,h\r\n") << 1 << -1 << 0 << 0
            << "a b|c||\"d\"|e|f|g|h";
        QTest::newRow("blank line at the end")
            << line + "\r\n\r\n"
            << 1 << int(Kind::RecordCutShort) << 2 << 1 << "a|b|c|d|e|f|g|h";
        QTest::newRow("ends inside a record")
            << QByteArray("\"a\",\"b\",\"c\"\r\n") << 0 << int(Kind::RecordCutShort) << 1 << 3
            << "a|b|c|||||";
        QTest::newRow("quote left open")
            << QByteArray("\"a\",\"b") << 0 << int(Kind::RecordCutShort) << 1 << 1 << "a|||||||";
        QTest::newRow("bytes that are not Shift-JIS")
            << line + "\r\n\"x\",\"\x85\x40\"" << 1 << int(Kind::NotShiftJis) << 2 << 1
            << "a|b|c|d|e|f|g|h";
    }

    void loads() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFETCH(int, kind);
        QFETCH(int, record);
        QFETCH(int, field);
        QFETCH(QString, row1);
        QVERIFY(writeFile(m_path, bytes));
        JushoTable table;
        const LoadResult loaded = LoadJushoTable(table, m_path);
        QCOMPARE(loaded.count, count);
        QCOMPARE(kindOf(loaded.error), kind);
        if (loaded.error) {
            QCOMPARE(loaded.error->record, record);
            QCOMPARE(loaded.error->field, field);
            QVERIFY(loaded.error->message().contains(QString::number(record)));
        }
        QCOMPARE(tableRow(table, 1), row1);
    }

    void laterLoadsLeaveOtherRows() {
        QByteArray three;
        for (int i = 1; i <= 3; ++i)
            three += "\"old" + QByteArray::number(i) + "\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
        JushoTable table;
        QVERIFY(writeFile(m_path, three));
        QCOMPARE(LoadJushoTable(table, m_path).count, 3);

        QVERIFY(writeFile(m_path, "\"new\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n\"cut\""));
        const LoadResult loaded = LoadJushoTable(table, m_path);
        QCOMPARE(kindOf(loaded.error), int(Kind::RecordCutShort));
        QCOMPARE(table.cell(1, 0), QStringLiteral("new"));
        QCOMPARE(table.cell(2, 0), QStringLiteral("cut")); // stored before the failure
        QCOMPARE(table.cell(3, 0), QStringLiteral("old3"));
    }

    void hundredRecordsFitAndNoMore() {
        for (int i = 1; i <= 100; ++i)
            QCOMPARE(kindOf(AppendJushoRecord(jushoRecord(numbered(i)), m_path)), -1);
        JushoTable table;
        QCOMPARE(LoadJushoTable(table, m_path).count, 100);

        const QByteArray before = fileBytes(m_path);
        QCOMPARE(kindOf(AppendJushoRecord(jushoRecord(numbered(101)), m_path)),
                 int(Kind::AddressBookFull));
        QCOMPARE(fileBytes(m_path), before);

        QVERIFY(writeFile(m_path, before + "\"101\"\r\n"));
        JushoTable again;
        const LoadResult loaded = LoadJushoTable(again, m_path);
        QCOMPARE(kindOf(loaded.error), int(Kind::TooManyRecords));
        QCOMPARE(loaded.error->record, 101);
        QCOMPARE(tableRow(again, 100), numbered(100));
    }

    void refusesWhatIsNotAFile() {
        JushoTable table;
        const LoadResult missing = LoadJushoTable(table, m_path);
        QCOMPARE(kindOf(missing.error), int(Kind::FileMissing));
        QVERIFY(missing.error->message().contains(QStringLiteral("登録")));
        QVERIFY(QDir().mkdir(m_path));
        QCOMPARE(kindOf(LoadJushoTable(table, m_path).error), int(Kind::NotAFile));
        QCOMPARE(kindOf(AppendJushoRecord(jushoRecord(numbered(1)), m_path)), int(Kind::NotAFile));

        // A pipe is refused at once instead of waiting for a writer.
        const QString pipe = m_path + QStringLiteral(".pipe");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QCOMPARE(kindOf(LoadJushoTable(table, pipe).error), int(Kind::NotAFile));
        QCOMPARE(kindOf(AppendJushoRecord(jushoRecord(numbered(1)), pipe)), int(Kind::NotAFile));
    }
};

QTEST_GUILESS_MAIN(TestJushoFileLoad)
#include "tst_jusho_file_load.moc"
