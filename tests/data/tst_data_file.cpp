#include "data_file.h"
#include "test_support.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <clocale>
#include <csignal>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

using Kind = DataError::Kind;

namespace {

const QByteArray kLine = "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\"\r\n";

QStringList numbered(int i) {
    return {QStringLiteral("人%1").arg(i), "住所", "自宅;03", ";", ";", ";", "友人", ""};
}

JushoRecord jushoRecord(const QStringList &fields) {
    JushoRecord record;
    std::copy(fields.begin(), fields.end(), record.begin());
    return record;
}

QByteArray book(int records, int first = 1) {
    QList<QStringList> lines;
    for (int i = first; i < first + records; ++i)
        lines << numbered(i);
    return shiftJisLines(lines);
}

int kindOf(const std::optional<DataError> &error) {
    return error ? int(error->kind) : -1;
}
template <typename T> int kindOf(const Result<T> &result) {
    return result.ok() ? -1 : int(result.error().kind);
}

// What the user reads is Japanese whatever the locale: besides the places it names, only
// these words are written in Latin letters.
bool inJapanese(QString message, QStringList places) {
    std::sort(places.begin(), places.end(), [](auto &a, auto &b) { return a.size() > b.size(); });
    for (const QString &place : places)
        message.remove(place);
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    static const QStringList allowed{"Pellinova", "MB", "Shift", "JIS", "UTF"};
    for (const auto &found : word.globalMatch(message)) {
        if (!allowed.contains(found.captured()))
            return false;
    }
    return true;
}

int modeOf(const QString &path) {
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) ? -1 : int(info.st_mode & 07777);
}

// Runs each job in a process of its own, all let go at once, and returns their exit statuses:
// for an append, 0 if it added, else its error's kind + 1.
QList<int> inProcesses(int count, const std::function<AppendResult(int)> &append) {
    int gate[2];
    if (::pipe(gate) != 0)
        return {};
    QList<pid_t> children;
    for (int i = 0; i < count; ++i) {
        if (const pid_t child = ::fork(); child != 0) {
            children << child;
            continue;
        }
        ::close(gate[1]);
        char go;
        (void)::read(gate[0], &go, 1); // returns once the parent closes its end
        ::_exit(kindOf(append(i)) + 1);
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

// The file size limit of this process, in bytes; the old one.
rlim_t limitFileSize(rlim_t bytes) {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    std::swap(limit.rlim_cur, bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return bytes;
}

// Root reads and writes past mode bits; without these overrides this thread is held to them
// like any other user.
bool setModeBitOverrides(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0}; // 0: this thread
    std::array<__user_cap_data_struct, 2> caps{};
    if (::syscall(SYS_capget, &header, caps.data()) != 0)
        return false;
    const __u32 overrides = 1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH | 1u << CAP_FOWNER;
    caps[0].effective =
        on ? caps[0].effective | (caps[0].permitted & overrides) : caps[0].effective & ~overrides;
    return ::syscall(SYS_capset, &header, caps.data()) == 0;
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

// What an append makes of the file as it stands, and what it takes for the file to be the
// user's alone and whole. What a line holds, and what a load reads, the fuzz checks judge.
class TestDataFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;
    int m_serial = 0;
    QByteArray m_mounted; // a small tmpfs of a test's own

    bool mount(const QString &folder, const char *options, unsigned long flags = 0) {
        m_mounted = QFile::encodeName(folder);
        return ::mount("tmpfs", m_mounted.constData(), "tmpfs", flags, options) == 0;
    }

private slots:
    void initTestCase() { reportFileSizeLimitAsError(); } // as the program does
    void init() { m_path = m_dir.filePath(QStringLiteral("Tovrin%1.txt").arg(++m_serial)); }
    void cleanup() {
        if (!m_mounted.isEmpty())
            ::umount2(std::exchange(m_mounted, {}).constData(), MNT_DETACH);
    }

    void appendsTheLineOrNothing_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("named"); // in the message
        QTest::addColumn<QByteArray>("after");
        const QByteArray added = book(1, 9);
        QTest::newRow("no file yet") << QByteArray() << -1 << "" << added;
        QTest::newRow("no line end before") << kLine.chopped(2) << -1 << "" << kLine + added;
        QTest::newRow("lone LF before") << kLine.chopped(2) + "\n"
                                        << -1 << "" << kLine.chopped(2) + "\n" + added;
        // The comma ended the last record; a line end after it would start an empty field.
        QTest::newRow("comma at the end")
            << kLine.chopped(2) + "," << -1 << "" << kLine.chopped(2) + "," + added;
        const QByteArray stray = "\"\x85\x40\"" + kLine.mid(3);
        QTest::newRow("bytes that are not Shift-JIS") << stray << -1 << "" << stray + added;
        const QByteArray cutShort = kLine + "\"x\",\"y\"\r\n";
        QTest::newRow("last record cut short")
            << cutShort << int(Kind::LastRecordIncomplete) << "（2件目）" << cutShort;
        QTest::newRow("101st person")
            << book(100) << int(Kind::AddressBookFull) << "100件" << book(100);
        const QByteArray nearlyFull =
            shiftJisLines({{"大", "", "", "", "", "", "", QString((16 << 20) - 40, 'x')}});
        QTest::newRow("past the size bound")
            << nearlyFull << int(Kind::NoRoomForRecord) << "16 MB" << nearlyFull;
    }
    void appendsTheLineOrNothing() {
        QFETCH(QByteArray, before);
        QFETCH(int, kind);
        QFETCH(QString, named);
        QFETCH(QByteArray, after);
        QVERIFY(before.isNull() || writeFile(m_path, before));
        const AppendResult added = AppendJushoRecord(jushoRecord(numbered(9)), {m_path});
        QCOMPARE(kindOf(added), kind);
        QVERIFY(added.ok() || added.error().message().contains(named));
        QCOMPARE(fileBytes(m_path), after);
        JushoTable table; // and it reads back as it was given
        const LoadResult loaded = LoadJushoTable(table, {m_path});
        QVERIFY(!added.ok() || (loaded.complete() && table.cell(loaded.count, 0) == "人9"));
    }

    // Faults of the system made real: the append is refused, says why and where, and leaves
    // the file byte for byte as it was (and none where there was none). Mounting needs root.
    void systemFaults_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("named");
        const QString full = QStringLiteral("ディスクに空きがない");
        const QString limit = QStringLiteral("ファイルの大きさの上限");
        QTest::newRow("disk full") << int(Kind::DiskFull) << full;
        QTest::newRow("disk full, no data file yet") << int(Kind::DiskFull) << full;
        QTest::newRow("size limit hit mid-write") << int(Kind::FileSizeLimit) << limit;
        QTest::newRow("size limit, no room left") << int(Kind::FileSizeLimit) << limit;
        QTest::newRow("read-only mount") << int(Kind::CannotOpen) << "読み取り専用";
        QTest::newRow("read-only folder, no data file yet")
            << int(Kind::CannotOpen) << "アクセスが許可されていません";
        QTest::newRow("folder that cannot be opened")
            << int(Kind::CannotOpenFolder) << "アクセスが許可されていません";
    }
    void systemFaults() {
        QFETCH(int, kind);
        QFETCH(QString, named);
        const QString fault = QTest::currentDataTag();
        const QString folder = m_dir.filePath(QString::number(m_serial));
        const QString path = folder + QStringLiteral("/Tovrin.txt");
        QVERIFY(QDir().mkdir(folder));
        if (fault.startsWith("disk full") && !mount(folder, "size=64k"))
            QSKIP("mounting a small tmpfs needs root (CAP_SYS_ADMIN)");
        if (fault.startsWith("read-only mount") && !mount(folder, "size=1m"))
            QSKIP("mounting a tmpfs to make read-only needs root (CAP_SYS_ADMIN)");
        QVERIFY(fault.endsWith("yet") || writeFile(path, book(2)));
        QFile filler(folder + QStringLiteral("/filler"));
        QVERIFY(!fault.startsWith("disk full") ||
                filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.isOpen() && filler.write(QByteArray(1024, 'x')) == 1024) {
        }
        QVERIFY(!fault.startsWith("read-only mount") ||
                mount(folder, nullptr, MS_REMOUNT | MS_RDONLY));
        QVERIFY(!fault.startsWith("read-only folder") ||
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!fault.startsWith("folder that") || QFile::setPermissions(folder, {}));
        const QByteArray before = fileBytes(path);

        QStringList person = numbered(1);
        person.last() = QString(8192, u'メ'); // more than a full disk has room for in its last page
        const rlim_t saved = fault.startsWith("size limit")
                                 ? limitFileSize(before.size() + (fault.endsWith("left") ? 0 : 10))
                                 : limitFileSize(RLIM_INFINITY);
        const bool heldToModes = setModeBitOverrides(false);
        const AppendResult added = AppendJushoRecord(jushoRecord(person), {path});
        setModeBitOverrides(true);
        limitFileSize(saved);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (fault.contains("folder") && !heldToModes)
            QSKIP("cannot drop root's access override for this thread");
        QCOMPARE(kindOf(added), kind);
        const QString message = added.error().message();
        const QString where = kind == int(Kind::CannotOpenFolder)
                                  ? QStringLiteral("フォルダー：") + folder
                                  : QStringLiteral("ファイル：") + path;
        for (const QString &part : {named, where})
            QVERIFY2(message.contains(part), qPrintable(message));
        QVERIFY2(inJapanese(message, {path, folder}), qPrintable(message));
        QCOMPARE(fileBytes(path), before);
    }

    // What the folder, the folders on the way and the file must be: the user's own (or
    // root's, on the way), not open to other users' writing, a plain file within the size
    // bound, not in another program's hands. Add and Open both refuse anything else, name it
    // as it is (a "%1" in it too) in Japanese and leave it as it was; the program's own
    // folder is made, and any found open to others is made, private.
    void folderAndFile_data() {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("named"); // in the home folder
        const QString share = QStringLiteral("share %1");
        const QString folder = share + QStringLiteral("/Pellinova");
        const QString file = folder + QStringLiteral("/Tovrin.txt");
        QTest::newRow("none yet") << "" << -1 << "";
        QTest::newRow("none yet, XDG_DATA_HOME relative") << "relative" << -1 << "";
        QTest::newRow("open to others") << "open" << -1 << "";
        QTest::newRow("a pipe") << "pipe" << int(Kind::NotAFile) << file;
        QTest::newRow("a sparse giant") << "giant" << int(Kind::FileTooBig) << file;
        QTest::newRow("another copy at work") << "busy" << int(Kind::Busy) << file;
        QTest::newRow("leased by another program, LC_ALL=C")
            << "leased" << int(Kind::CannotOpen) << file;
        QTest::newRow("folder of another user") << "others folder" << int(Kind::NotYours) << folder;
        QTest::newRow("file of another user") << "others file" << int(Kind::NotYours) << file;
        QTest::newRow("link planted by another user")
            << "others link" << int(Kind::NotYours) << file;
        QTest::newRow("folder on the way of another user")
            << "others parent" << int(Kind::NotYours) << share;
        QTest::newRow("link on the way planted by another user")
            << "others parent link" << int(Kind::NotYours) << share;
        QTest::newRow("folder on the way open to others")
            << "parent open" << int(Kind::OpenToOthers) << share;
    }
    void folderAndFile() {
        QFETCH(QString, setUp);
        QFETCH(int, kind);
        QFETCH(QString, named);
        const QTemporaryDir home; // as $HOME, and $XDG_DATA_HOME is in it, or ignored
        const QString share = home.filePath(QStringLiteral("share %1"));
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_DATA_HOME", setUp == "relative" ? "share" : QFile::encodeName(share));
        const DataFileLocation location = jushoDataFileLocation();
        const QString path = location.path;
        const QString folder = QFileInfo(path).absolutePath();
        QCOMPARE(path, (setUp == "relative" ? home.filePath(".local/share") : share) +
                           QStringLiteral("/Pellinova/Tovrin.txt"));
        const bool fresh = setUp.isEmpty() || setUp == "relative";
        const QString victim = home.filePath(QStringLiteral("victim"));
        QVERIFY(writeFile(victim, "secret"));
        if (!fresh) {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        }
        if (setUp == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (setUp == "others link")
            QVERIFY(QFile::link(victim, path));
        else if (!fresh)
            QVERIFY(writeFile(path, kLine));
        if (setUp == "others parent link") { // to another of the user's books
            QVERIFY(QDir().rename(share, home.filePath("elsewhere")));
            QVERIFY(QFile::link(home.filePath("elsewhere"), share));
        }
        QVERIFY(setUp != "giant" || QFile::resize(path, qint64(2) << 30));
        QVERIFY(setUp != "parent open" || ::chmod(QFile::encodeName(share).constData(), 0777) == 0);
        const int lock = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(setUp != "busy" || ::flock(lock, LOCK_EX) == 0);
        const int leased =
            setUp == "leased" ? ::open(QFile::encodeName(path).constData(), O_RDONLY) : -1;
        if (leased >= 0) {
            std::signal(SIGIO, SIG_IGN); // how the holder of a lease hears it is wanted
            QCOMPARE(::fcntl(leased, F_SETLEASE, F_WRLCK), 0);
            ::setlocale(LC_ALL, "C"); // where the C library's words for it are English
        }
        const QString given = setUp == "others folder"            ? folder
                              : setUp.startsWith("others parent") ? share
                                                                  : path;
        if (setUp.startsWith("others") && ::lchown(QFile::encodeName(given).constData(), 65534, 0))
            QSKIP("giving a file to another user needs root");
        const qint64 size = QFileInfo(path).size();

        JushoTable table;
        const LoadResult loaded = LoadJushoTable(table, location);
        const AppendResult added = AppendJushoRecord(jushoRecord(numbered(1)), location);
        ::close(lock);
        if (leased >= 0) {
            ::fcntl(leased, F_SETLEASE, F_UNLCK);
            ::close(leased);
            ::setlocale(LC_ALL, "");
        }
        QCOMPARE(kindOf(loaded.error), fresh ? int(Kind::FileMissing) : kind);
        QCOMPARE(kindOf(added), kind);
        QCOMPARE(fileBytes(victim), QByteArray("secret"));
        if (kind >= 0) {
            for (const QString &message : {loaded.error->message(), added.error().message()}) {
                QVERIFY2(message.contains(home.filePath(named)), qPrintable(message));
                QVERIFY2(inJapanese(message, {path, folder, share}), qPrintable(message));
            }
            QCOMPARE(QFileInfo(path).size(), size);
            return;
        }
        QCOMPARE(modeOf(QFileInfo(folder).absolutePath()), fresh ? 0700 : 0755);
        QCOMPARE(modeOf(folder), 0700);
        QCOMPARE(modeOf(path), 0600);
        QCOMPARE(LoadJushoTable(table, location).count, fresh ? 1 : 2);
    }

    // Copies of the program in processes of their own, pressing Add at once.
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
            return AppendJushoRecord(jushoRecord(numbered(1000 + copy)), {m_path});
        });
        // Exactly one adds, what it added is there, and nothing else was written.
        QCOMPARE(outcomes.count(0), 1);
        QVERIFY(!firstFails || outcomes[0] == int(Kind::FileSizeLimit) + 1);
        QCOMPARE(fileBytes(m_path), book(records) + book(1, 1000 + int(outcomes.indexOf(0))));
    }

    // A writer killed mid-line leaves whole records that load, and an incomplete one that the
    // next append sets aside byte for byte, or, if any step fails, leaves where it was.
    void incompleteLastRecord_data() {
        QTest::addColumn<int>("limit"); // the repair's file size limit; -1: the file's size
        QTest::addColumn<int>("note");  // characters of the new record's notes
        QTest::addColumn<int>("kind");
        QTest::newRow("set aside") << 0 << 0 << -1;
        QTest::newRow("the copy cannot be written") << 10 << 0 << int(Kind::CannotSetAside);
        QTest::newRow("the append fails after the cut")
            << -1 << (13 << 20) << int(Kind::FileSizeLimit);
    }
    void incompleteLastRecord() {
        QFETCH(int, limit);
        QFETCH(int, note);
        QFETCH(int, kind);
        QStringList killed = numbered(3);
        killed.last() = QString(12 << 20, 'x');
        QByteArray cut;
        for (int attempt = 0; attempt < 20 && !cut.endsWith('x'); ++attempt) {
            QVERIFY(writeFile(m_path, book(2)));
            cut = killWhileAppending(m_path, jushoRecord(killed));
        }
        QVERIFY2(cut.endsWith('x'), "no kill landed while the line was written");
        JushoTable table;
        const LoadResult loaded = LoadJushoTable(table, {m_path});
        QCOMPARE(loaded.count, 2);
        QCOMPARE(kindOf(loaded.stop), int(Kind::RecordCutShort));

        QStringList fields = numbered(4);
        fields.last() = QString(note, 'y');
        const JushoRecord record = jushoRecord(fields);
        QCOMPARE(kindOf(AppendJushoRecord(record, {m_path})), int(Kind::LastRecordIncomplete));
        QCOMPARE(fileBytes(m_path), cut);
        const int repaired =
            inProcesses(1,
                        [&](int) { // the limit stays with that process
                            if (limit)
                                limitFileSize(limit > 0 ? limit : cut.size());
                            return AppendJushoRecord(record, {m_path}, IncompleteRecord::SetAside);
                        })
                .value(0);
        QCOMPARE(repaired - 1, kind);

        const QStringList aside =
            QDir(m_dir.path()).entryList({QFileInfo(m_path).fileName() + ".broken-*"});
        QCOMPARE(aside.size(), kind < 0 ? 1 : 0);
        QCOMPARE(fileBytes(m_path), kind < 0 ? book(2) + shiftJisLines({fields}) : cut);
        if (kind < 0) {
            QCOMPARE(fileBytes(m_dir.filePath(aside.first())), cut.mid(book(2).size()));
            QCOMPARE(modeOf(m_dir.filePath(aside.first())), 0600);
        }
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_data_file.moc"
