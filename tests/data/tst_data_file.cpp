#include "data_file.h"
#include "test_support.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using Kind = DataError::Kind;

namespace {

const QByteArray kLine = "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\"\r\n";
const QByteArray kBlankLine = "\"\",\"\",\";\",\";\",\";\",\";\",\"\",\"\"\r\n";
const QString kBlank = QStringLiteral("||;|;|;|;||");
const QByteArray kNone = "(none)"; // no file
constexpr uid_t kNobody = 65534;

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

QByteArray book(int records) {
    QList<QStringList> lines;
    for (int i = 1; i <= records; ++i)
        lines << numbered(i).split(u'|');
    return shiftJisLines(lines);
}

int kindOf(const std::optional<DataError> &error) {
    return error ? int(error->kind) : -1;
}

int modeOf(const QString &path) {
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777)
                                                                    : -1;
}

bool chownTo(const QString &path, uid_t owner) {
    return ::lchown(QFile::encodeName(path).constData(), owner, owner) == 0;
}

// Runs each job in a process of its own, all let go at once, and returns their exit statuses.
QList<int> inProcesses(int count, const std::function<int(int)> &job) {
    int gate[2];
    if (::pipe(gate) != 0)
        return {};
    QList<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(gate[1]);
            char go;
            (void)::read(gate[0], &go, 1); // returns once the parent closes its end
            ::_exit(job(i));
        }
        children << child;
    }
    ::close(gate[0]);
    ::close(gate[1]);
    QList<int> statuses;
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        statuses << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    return statuses;
}

// An append's outcome as an exit status: 0 for success, else the error's kind + 1.
int outcome(const AppendResult &added) {
    return added.error ? int(added.error->kind) + 1 : 0;
}

void limitFileSize(qint64 bytes) {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

// Appends the record in a child process and kills it once the file has started to grow, as a
// crash or a power cut mid-write would; the file's bytes afterwards.
QByteArray killWhileAppending(const QString &path, const JushoRecord &record) {
    const qint64 before = QFileInfo(path).size();
    const pid_t child = ::fork();
    if (child == 0) {
        (void)AppendJushoRecord(record, {path});
        ::_exit(0);
    }
    struct stat info;
    while (::stat(QFile::encodeName(path).constData(), &info) == 0 && info.st_size <= before &&
           ::waitpid(child, nullptr, WNOHANG) == 0) {
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return fileBytes(path);
}

} // namespace

// The data file: the line an append writes or refuses, what a load makes of a file, and
// what it takes for the file to be the user's alone and whole.
class TestDataFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    int m_serial = 0;

private slots:
    void initTestCase() { reportFileSizeLimitAsError(); }
    void init() { m_path = m_dir.filePath(QStringLiteral("Tovrin%1.txt").arg(++m_serial)); }

    void appendsTheLineOrNothing_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("named"); // in the message, parts separated by "・"
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("all blank") << kNone << kBlank << -1 << "" << kBlankLine;
        const auto roundTrip = [&](const char *name, const QString &record) {
            QTest::newRow(name) << kNone << record << -1 << ""
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
        // The comma ended the last record; a line end after it would start an empty field.
        QTest::newRow("comma at the end")
            << kLine.chopped(2) + "," << kBlank << -1 << "" << kLine.chopped(2) + "," + kBlankLine;
        const QByteArray stray = "\"\x85\x40\"" + kLine.mid(3);
        QTest::newRow("bytes that are not Shift-JIS before")
            << stray << kBlank << -1 << "" << stray + kBlankLine;
        QTest::newRow("double quote")
            << kLine << "a|||||||say \"hi\"" << int(Kind::QuoteInField) << "補足情報" << kLine;
        QTest::newRow("emoji") << kNone << QString::fromUtf8("a|||携帯;😀||||")
                               << int(Kind::CannotEncode) << "各アドレス2・U+1F600" << kNone;
        QTest::newRow("kanji outside the code page")
            << kLine << QString::fromUtf8("a|森鷗外||||||") << int(Kind::CannotEncode)
            << "住所・鷗・U+9DD7" << kLine;
        const QByteArray cutShort = kLine + "\"x\",\"y\"\r\n";
        QTest::newRow("last record cut short")
            << cutShort << kBlank << int(Kind::LastRecordIncomplete) << "2件目・9バイト"
            << cutShort;
        const QByteArray nearlyFull =
            shiftJisLines({{"大", "", "", "", "", "", "", QString((16 << 20) - 40, 'x')}});
        QTest::newRow("record past the size bound")
            << nearlyFull << numbered(1) << int(Kind::NoRoomForRecord) << "16 MB" << nearlyFull;
    }

    void appendsTheLineOrNothing() {
        QFETCH(QByteArray, before);
        QFETCH(QString, record);
        QFETCH(int, kind);
        QFETCH(QString, named);
        QFETCH(QByteArray, after);
        if (before != kNone)
            QVERIFY(writeFile(m_path, before));
        const AppendResult added = AppendJushoRecord(jushoRecord(record), {m_path});
        QCOMPARE(kindOf(added.error), kind);
        for (const QString &part : named.split(u'・', Qt::SkipEmptyParts))
            QVERIFY2(added.error->message().contains(part), qPrintable(added.error->message()));
        QCOMPARE(fileBytes(m_path), after);
        if (added.error)
            return;
        JushoTable table; // what was added reads back as typed
        const LoadResult loaded = LoadJushoTable(table, m_path);
        QVERIFY(loaded.complete());
        QCOMPARE(tableRow(table, loaded.count), record);
    }

    // What a load reads, where it stops, and which field first shows stray bytes.
    void loads_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("kind"); // of the stop, else of the stray bytes
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
        QTest::newRow("more than 100 records")
            << book(101) << 100 << int(Kind::TooManyRecords) << 101 << 0 << numbered(1);
        // Stray bytes show as U+FFFD wherever they are: a pair, a single byte, a lead byte
        // at a field's end; bytes between a closing quote and the comma are never shown.
        QTest::newRow("not Shift-JIS")
            << "\"a\"\x85,\"\x85\x40\x80\",\"c\x81\"" + kLine.mid(11) + kLine << 2
            << int(Kind::NotShiftJis) << 1 << 1 << u"a|\uFFFD\uFFFD|c\uFFFD|d|e|f|g|h"_qs;
    }

    void loads() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFETCH(int, kind);
        QFETCH(int, record);
        QFETCH(int, field);
        QFETCH(QString, row1);
        // Into a table that a longer file filled: the rows above this one's records stay.
        QVERIFY(writeFile(m_path, book(3)));
        JushoTable table;
        QCOMPARE(LoadJushoTable(table, m_path).count, 3);
        QVERIFY(writeFile(m_path, bytes));
        const LoadResult loaded = LoadJushoTable(table, m_path);
        QCOMPARE(loaded.count, count);
        QVERIFY(!loaded.error);
        const std::optional<DataError> &problem = loaded.stop ? loaded.stop : loaded.strayBytes;
        QCOMPARE(kindOf(problem), kind);
        if (problem) {
            QCOMPARE(problem->record, record);
            QCOMPARE(problem->field, field);
            QVERIFY(problem->message().contains(QStringLiteral("%1件目").arg(record)));
        }
        QCOMPARE(tableRow(table, 1), row1);
        QCOMPARE(tableRow(table, 3), count < 3 ? numbered(3) : tableRow(table, 3));
    }

    void hundredRecordsFitAndNoMore() {
        for (int i = 1; i <= 100; ++i)
            QVERIFY(!AppendJushoRecord(jushoRecord(numbered(i)), {m_path}).error);
        QCOMPARE(fileBytes(m_path), book(100));
        QCOMPARE(kindOf(AppendJushoRecord(jushoRecord(numbered(101)), {m_path}).error),
                 int(Kind::AddressBookFull));
        QCOMPARE(fileBytes(m_path), book(100));
    }

    void refusesWhatIsNotAnAddressBook() {
        JushoTable table;
        QCOMPARE(kindOf(LoadJushoTable(table, m_path).error), int(Kind::FileMissing));
        // A pipe is refused at once instead of waiting for a writer.
        QCOMPARE(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
        QCOMPARE(kindOf(LoadJushoTable(table, m_path).error), int(Kind::NotAFile));
        QCOMPARE(kindOf(AppendJushoRecord(JushoRecord{}, {m_path}).error), int(Kind::NotAFile));
        // A sparse giant is refused from its size, before anything is read.
        QVERIFY(QFile::remove(m_path));
        QVERIFY(writeFile(m_path, kLine));
        QVERIFY(QFile::resize(m_path, qint64(2) << 30));
        const LoadResult loaded = LoadJushoTable(table, m_path);
        QCOMPARE(kindOf(loaded.error), int(Kind::FileTooBig));
        QVERIFY2(loaded.error->message().contains("2048 MB"), qPrintable(loaded.error->message()));
        QCOMPARE(kindOf(AppendJushoRecord(JushoRecord{}, {m_path}).error), int(Kind::FileTooBig));
        QCOMPARE(QFileInfo(m_path).size(), qint64(2) << 30);
    }

    // The folder and the file must be the user's own; the program's own folder is made, and
    // any found open to others is made, private.
    void folderAndFileAreTheUsersOwn_data() {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("named"); // relative to the test's folder
        QTest::newRow("folder made") << "" << -1 << "";
        QTest::newRow("open folder and file") << "open" << -1 << "";
        QTest::newRow("folder of another user") << "folder" << int(Kind::NotYours) << "share/P";
        QTest::newRow("file of another user") << "file" << int(Kind::NotYours) << "share/P/T.txt";
        QTest::newRow("link planted by another user")
            << "link" << int(Kind::NotYours) << "share/P/T.txt";
    }
    void folderAndFileAreTheUsersOwn() {
        QFETCH(QString, setUp);
        QFETCH(int, kind);
        QFETCH(QString, named);
        const QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("share/P"));
        const QString path = folder + QStringLiteral("/T.txt");
        const QString victim = home.filePath(QStringLiteral("victim"));
        QVERIFY(writeFile(victim, "secret"));
        if (!setUp.isEmpty()) {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
            if (setUp == "link")
                QVERIFY(QFile::link(victim, path));
            else
                QVERIFY(writeFile(path, kLine));
            if ((setUp != "open" && !chownTo(setUp == "folder" ? folder : path, kNobody)))
                QSKIP("giving a file to another user needs root");
        }
        const DataFileLocation location{path, FolderCreation::CreateOwnFolder};
        const AppendResult added = AppendJushoRecord(jushoRecord(numbered(1)), location);
        JushoTable table;
        const LoadResult loaded = LoadJushoTable(table, path);
        QCOMPARE(kindOf(added.error), kind);
        QCOMPARE(kindOf(loaded.error), kind);
        QCOMPARE(fileBytes(victim), QByteArray("secret"));
        if (kind >= 0) {
            QVERIFY(added.error->message().contains(home.filePath(named)));
            return;
        }
        QCOMPARE(modeOf(home.filePath(QStringLiteral("share"))), setUp.isEmpty() ? 0700 : 0755);
        QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(modeOf(path), 0600);
        QCOMPARE(loaded.count, setUp.isEmpty() ? 1 : 2);
    }

    void dataFolderFollowsAbsoluteDataHomeOnly() {
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", "/srv/data");
        QCOMPARE(jushoDataFileLocation().path, QStringLiteral("/srv/data/Pellinova/Tovrin.txt"));
        qputenv("XDG_DATA_HOME", "relative/data");
        QCOMPARE(jushoDataFileLocation().path,
                 QDir::homePath() + QStringLiteral("/.local/share/Pellinova/Tovrin.txt"));
        qputenv("XDG_DATA_HOME", saved);
    }

    // Copies of the program in processes of their own, each pressing Add on a book of 99.
    void appendsInParallel_data() {
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("firstFails"); // hits its file size limit
        QTest::newRow("eight at once on a book of 99") << 99 << 8 << false;
        for (int round = 1; round <= 4; ++round)
            QTest::addRow("one failing beside one adding, round %d", round) << 2 << 2 << true;
    }
    void appendsInParallel() {
        QFETCH(int, records);
        QFETCH(int, copies);
        QFETCH(bool, firstFails);
        QVERIFY(writeFile(m_path, book(records)));
        const qint64 size = QFileInfo(m_path).size();
        const QList<int> outcomes = inProcesses(copies, [&](int copy) {
            if (firstFails && copy == 0)
                limitFileSize(size + 10);
            return outcome(AppendJushoRecord(jushoRecord(numbered(1000 + copy)), {m_path}));
        });
        // Exactly one adds (a book of 99 has room for one), and what it added is there.
        QCOMPARE(outcomes.count(0), 1);
        const int added = int(outcomes.indexOf(0));
        for (const int outcome : outcomes) {
            const QList<int> expected{0, int(Kind::AddressBookFull) + 1, int(Kind::Busy) + 1,
                                      int(Kind::FileSizeLimit) + 1};
            QVERIFY2(expected.contains(outcome), qPrintable(QString::number(outcome)));
        }
        QVERIFY(!firstFails || outcomes[0] == int(Kind::FileSizeLimit) + 1);
        QCOMPARE(fileBytes(m_path),
                 book(records) + shiftJisLines({numbered(1000 + added).split('|')}));
    }

    // A writer killed mid-line leaves whole records that load, and an incomplete one that the
    // next append sets aside byte for byte, or, if any step fails, leaves where it was.
    void incompleteLastRecord_data() {
        QTest::addColumn<int>("limit"); // the repair's file size limit; -1: the file's size
        QTest::addColumn<int>("note");  // characters of the new record's notes
        QTest::addColumn<int>("kind");
        QTest::newRow("set aside") << 0 << 1 << -1;
        QTest::newRow("the copy cannot be written") << 10 << 1 << int(Kind::CannotSetAside);
        QTest::newRow("the append fails after the cut")
            << -1 << (13 << 20) << int(Kind::FileSizeLimit);
    }
    void incompleteLastRecord() {
        QFETCH(int, limit);
        QFETCH(int, note);
        QFETCH(int, kind);
        QByteArray cut;
        for (int attempt = 0; attempt < 20 && !cut.endsWith('x'); ++attempt) {
            QVERIFY(writeFile(m_path, book(2)));
            cut = killWhileAppending(m_path, jushoRecord(numbered(3) + QString(12 << 20, 'x')));
        }
        QVERIFY2(cut.endsWith('x'), "no kill landed while the line was written");
        JushoTable table;
        const LoadResult loaded = LoadJushoTable(table, m_path);
        QCOMPARE(loaded.count, 2);
        QCOMPARE(kindOf(loaded.stop), int(Kind::RecordCutShort));

        const JushoRecord record = jushoRecord(numbered(4) + QString(note, 'y'));
        QCOMPARE(kindOf(AppendJushoRecord(record, {m_path}).error),
                 int(Kind::LastRecordIncomplete));
        QCOMPARE(fileBytes(m_path), cut);
        const int repaired = inProcesses(1,
                                         [&](int) { // the limit stays with the repairing process
                                             if (limit)
                                                 limitFileSize(limit > 0 ? limit : cut.size());
                                             return outcome(AppendJushoRecord(
                                                 record, {m_path}, IncompleteRecord::SetAside));
                                         })
                                 .value(0);
        QCOMPARE(repaired - 1, kind);

        const QStringList aside =
            QDir(m_dir.path()).entryList({QFileInfo(m_path).fileName() + ".broken-*"});
        if (kind >= 0) {
            QCOMPARE(fileBytes(m_path), cut);
            QCOMPARE(aside, QStringList{});
            return;
        }
        QCOMPARE(fileBytes(m_path), book(2) + shiftJisLines({(numbered(4) + 'y').split('|')}));
        QCOMPARE(aside.size(), 1);
        QCOMPARE(fileBytes(m_dir.filePath(aside.first())), cut.mid(book(2).size()));
        QCOMPARE(modeOf(m_dir.filePath(aside.first())), 0600);
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_data_file.moc"
