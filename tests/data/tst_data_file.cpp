#include "data_file.h"
#include "data_folder.h"
#include "system_error.h"
#include "test_platform.h"
#include "test_support.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <utility>
#ifdef Q_OS_WIN
#include <windows.h>
#else // a pipe, a lease and owners are Linux's
#include <clocale>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using Kind = DataError::Kind;

namespace {

const QByteArray kLine = "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\",\"h\"\r\n";

// A person's fields, with notes as given.
QStringList numbered(int i, const QString &notes = {}) {
    return {QStringLiteral("人%1").arg(i), "住所", "自宅;03", ";", ";", ";", "友人", notes};
}

// The person added, with more notes than a full disk has room for in its last page.
const QStringList kPerson = numbered(9, QString(8192, u'メ'));

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

template <typename T> int kindOf(const Result<T> &result) {
    return result.ok() ? -1 : int(result.error().kind);
}

// What the user reads is Japanese whatever the locale: besides the places it names (as on
// this platform they are written), only these words are in Latin letters.
bool inJapanese(QString message, QStringList places) {
    std::sort(places.begin(), places.end(), [](auto &a, auto &b) { return a.size() > b.size(); });
    for (const QString &place : places)
        message.remove(QDir::toNativeSeparators(place));
    static const QRegularExpression allowed(
        QStringLiteral("(?<![A-Za-z])(Pellinova|MB|Shift|JIS|UTF|XDG_DATA_HOME|HOME)(?![A-Za-z])"));
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    return !message.remove(allowed).contains(word);
}

// Starts a copy of this program that appends the numbered person, with notes of so many x's,
// under a file size limit if given, once it is let go (its standard input ends); it exits
// with 0 if it added, else its error's kind + 1.
void startCopy(QProcess &process, const QString &path, int number, int notes = 0,
               qint64 sizeLimit = 0) {
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--append"), path, QString::number(number),
                   QString::number(notes), QString::number(sizeLimit)});
    process.waitForStarted();
}

int appendAsCopy(const QStringList &arguments) { // the program, "--append", then the above
    reportFileSizeLimitAsError();
    const QStringList fields = numbered(arguments[3].toInt(), QString(arguments[4].toInt(), 'x'));
    if (const qint64 limit = arguments[5].toLongLong())
        limitFileSize(limit);
    (void)std::getchar(); // returns once the test closes its end
    return kindOf(AppendJushoRecord(jushoRecord(fields), {arguments[2]})) + 1;
}

// Lets the copies all go at once, and returns their exit statuses.
QList<int> letGo(std::vector<QProcess> &copies) {
    for (QProcess &process : copies)
        process.closeWriteChannel();
    QList<int> statuses;
    for (QProcess &process : copies) {
        process.waitForFinished(-1);
        statuses << (process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1);
    }
    return statuses;
}

// Adds a person with a 12 MB note in a copy and kills it once the file has started to grow,
// as a crash or a power cut mid-write would; the file's bytes afterwards.
QByteArray killWhileAppending(const QString &path) {
    const qint64 before = QFileInfo(path).size();
    QProcess process;
    startCopy(process, path, 3, 12 << 20);
    process.closeWriteChannel();
    QFileInfo file(path);
    while (process.state() != QProcess::NotRunning && file.size() <= before)
        file.refresh();
    process.kill();
    process.waitForFinished(-1);
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
    QString m_mounted; // a small disk of a test's own

public:
    // What a row of appendsTheLineOrNothing() makes of the system around the book.
    // clang-format off
    enum class Fault {
        None, DiskFull, SizeLimitHitMidWrite, SizeLimitNoRoom, ReadOnly, ReadOnlyFolder,
        FolderClosed,
    };
    // clang-format on
    Q_ENUM(Fault)

private slots:
    void initTestCase() { reportFileSizeLimitAsError(); } // as the program does
    void init() { m_path = m_dir.filePath(QStringLiteral("Tovrin%1.txt").arg(++m_serial)); }
    void cleanup() {
        if (!m_mounted.isEmpty())
            unmountSmallDisk(std::exchange(m_mounted, {}));
    }

    // An append adds the line, or is refused, says why and where in Japanese, and leaves the
    // file byte for byte as it was (and none where there was none). The faults of the system
    // are made real; mounting needs root.
    void appendsTheLineOrNothing_data() {
        QTest::addColumn<QByteArray>("before"); // null: no file yet
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("named"); // in the message
        QTest::addColumn<QByteArray>("after");
        const auto refused = [](const char *tag, const QByteArray &before, Fault fault, Kind kind,
                                const QString &named) {
            QTest::newRow(tag) << before << fault << int(kind) << named << QByteArray();
        };
        const auto added = [](const char *tag, const QByteArray &before, const QByteArray &after) {
            QTest::newRow(tag) << before << Fault::None << -1 << ""
                               << after + shiftJisLines({kPerson});
        };
        added("no file yet", {}, {});
        const QByteArray unended = kLine.chopped(2);
        added("no line end before", unended, kLine);
        added("lone LF before", unended + "\n", unended + "\n");
        // The comma ended the last record; a line end after it would start an empty field.
        added("comma at the end", unended + ",", unended + ",");
        const QByteArray stray = "\"\x85\x40\"" + kLine.mid(3);
        added("bytes that are not Shift-JIS", stray, stray);
        refused("last record cut short", kLine + "\"x\",\"y\"\r\n", Fault::None,
                Kind::LastRecordIncomplete, "（2件目）");
        refused("101st person", book(100), Fault::None, Kind::AddressBookFull, "100件");
        refused("past the size bound",
                shiftJisLines({{"大", "", "", "", "", "", "", QString((16 << 20) - 40, 'x')}}),
                Fault::None, Kind::NoRoomForRecord, "16 MB");
        const QString denied = QStringLiteral("アクセスが許可されていません");
        const QString full = QStringLiteral("ディスクに空きがない");
        const QString limit = QStringLiteral("ファイルの大きさの上限");
        refused("disk full", book(2), Fault::DiskFull, Kind::DiskFull, full);
        refused("disk full, no data file yet", {}, Fault::DiskFull, Kind::DiskFull, full);
        refused("size limit hit mid-write", book(2), Fault::SizeLimitHitMidWrite,
                Kind::FileSizeLimit, limit);
        refused("size limit, no room left", book(2), Fault::SizeLimitNoRoom, Kind::FileSizeLimit,
                limit);
#ifdef Q_OS_WIN // a read-only file, as Windows has no read-only mounts of its own
        refused("read-only", book(2), Fault::ReadOnly, Kind::CannotOpen, denied);
#else
        refused("read-only", book(2), Fault::ReadOnly, Kind::CannotOpen, "読み取り専用");
#endif
        refused("read-only folder, no data file yet", {}, Fault::ReadOnlyFolder, Kind::CannotOpen,
                denied);
        refused("folder that cannot be opened", book(2), Fault::FolderClosed,
                Kind::CannotOpenFolder, denied);
    }
    void appendsTheLineOrNothing() {
        QFETCH(QByteArray, before);
        QFETCH(Fault, fault);
        QFETCH(int, kind);
        QFETCH(QString, named);
        QFETCH(QByteArray, after);
        const bool sizeLimit =
            fault == Fault::SizeLimitHitMidWrite || fault == Fault::SizeLimitNoRoom;
        const bool folderClosed = fault == Fault::ReadOnlyFolder || fault == Fault::FolderClosed;
        if (sizeLimit && !kFileSizeLimits)
            QSKIP("Windows holds no process to a file size limit");
#ifdef Q_OS_WIN
        if (folderClosed)
            QSKIP("Wine does not hold its programs to Windows' access control lists");
        const bool readOnlyMount = false; // a read-only file stands for one
#else
        const bool readOnlyMount = fault == Fault::ReadOnly;
#endif
        QString folder = m_dir.filePath(QString::number(m_serial));
        QVERIFY(QDir().mkdir(folder));
        if (fault == Fault::DiskFull || readOnlyMount) {
            folder = m_mounted = mountSmallDisk(folder, m_serial);
            if (folder.isEmpty())
                QSKIP("mounting a small tmpfs needs root (CAP_SYS_ADMIN)");
        }
        const QString path = folder + QStringLiteral("/Tovrin.txt");
        QVERIFY(before.isNull() || writeFile(path, before));
        QFile filler(folder + QStringLiteral("/filler"));
        QVERIFY(fault != Fault::DiskFull ||
                filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.isOpen() && filler.write(QByteArray(1024, 'x')) == 1024) {
        }
        QVERIFY(!readOnlyMount || remountReadOnly(folder));
        if (fault == Fault::ReadOnly && !readOnlyMount) {
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
            if (QFile file(path); file.open(QIODevice::Append))
                QSKIP("Wine run by root writes to read-only files");
        }
        QVERIFY(fault != Fault::ReadOnlyFolder ||
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(fault != Fault::FolderClosed || QFile::setPermissions(folder, {}));
        const QByteArray was = fileBytes(path);

        if (sizeLimit)
            limitFileSize(was.size() + (fault == Fault::SizeLimitNoRoom ? 0 : 10));
        const bool heldToModes = setModeBitOverrides(false);
        const AppendResult added = AppendJushoRecord(jushoRecord(kPerson), {path});
        setModeBitOverrides(true);
        limitFileSize(-1);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        if (folderClosed && !heldToModes)
            QSKIP("cannot drop root's access override for this thread");
        QCOMPARE(kindOf(added), kind);
        QCOMPARE(fileBytes(path), kind < 0 ? after : was);
        if (kind < 0) { // and what was added reads back as it was given
            JushoTable table;
            const Result<qint16> loaded = LoadJushoTable(table, {path});
            QVERIFY(table.cell(loaded.value(), 0) == kPerson.first());
            return;
        }
        const QString message = added.error().message();
        const QString where =
            kind == int(Kind::CannotOpenFolder) ? "フォルダー：" + folder : "ファイル：" + path;
        for (const QString &part : {named, QDir::toNativeSeparators(where)})
            QVERIFY2(message.contains(part), qPrintable(message));
        QVERIFY2(inJapanese(message, {path, folder}), qPrintable(message));
    }

public:
    // How a row of folderAndFile() makes the home folder and what is in it.
    // clang-format off
    enum class Setup {
        SparseGiant, Folder, CopyAtWork, NoneYet, XdgRelative, OpenToOthers, Pipe, Leased,
        FolderOfAnotherUser, FileOfAnotherUser, LinkPlanted, FolderOnTheWayOfAnotherUser,
        LinkOnTheWay, FolderOnTheWayOpen, LinkToSystemFile, OwnGroupHome, SharedGroupHome,
        XdgNotText, NoHome, XdgThroughLinkUp,
    };
    // clang-format on
    Q_ENUM(Setup)

private slots:
    // What the folder, the folders on the way and the file must be: the user's own (or
    // root's, on the way), not open to other users' writing (a group that holds only the user
    // aside), a plain file that ends as an address book does, within the size bound, not in
    // another program's hands, at a place the environment names exactly. Open and Add refuse
    // anything else, name it as it is (a "%1" in it too) in Japanese and leave it as it was.
    // Open changes nothing, not even a mode; Add makes the program's own folder, and the file
    // and folder private.
    void folderAndFile_data() {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<int>("opened");    // the kind Open is refused with; -1: it lists
        QTest::addColumn<int>("added");     // the same for Add
        QTest::addColumn<QString>("named"); // in each refusal; "~" is the home folder
        const auto row = [](const char *tag, Setup setup, Kind opened, int added,
                            const QString &named) {
            QTest::newRow(tag) << setup << int(opened) << added << named;
        };
        const QString share = QStringLiteral("~/share %1");
        const QString folder = share + QStringLiteral("/Pellinova");
        const QString file = folder + QStringLiteral("/Tovrin.txt");
        const auto both = [&](const char *tag, Setup setup, Kind kind, const QString &named) {
            row(tag, setup, kind, int(kind), named);
        };
        both("a sparse giant", Setup::SparseGiant, Kind::FileTooBig, file);
        both("a folder", Setup::Folder, Kind::NotAFile, file);
        both("another copy at work", Setup::CopyAtWork, Kind::Busy, file);
#ifdef Q_OS_WIN // the program's folder is not its own to make
        row("none yet", Setup::NoneYet, Kind::FileMissing, int(Kind::FolderMissing), folder);
#else
        const Kind none = Kind(-1);
        row("none yet", Setup::NoneYet, Kind::FileMissing, -1, file);
        row("none yet, XDG_DATA_HOME relative", Setup::XdgRelative, Kind::FileMissing, -1,
            "~/.local/share/Pellinova/Tovrin.txt");
        row("open to others", Setup::OpenToOthers, none, -1, "");
        both("a pipe", Setup::Pipe, Kind::NotAFile, file);
        both("leased by another program, LC_ALL=C", Setup::Leased, Kind::CannotOpen, file);
        both("folder of another user", Setup::FolderOfAnotherUser, Kind::NotYours, folder);
        both("file of another user", Setup::FileOfAnotherUser, Kind::NotYours, file);
        both("link planted by another user", Setup::LinkPlanted, Kind::NotYours, file);
        both("folder on the way of another user", Setup::FolderOnTheWayOfAnotherUser,
             Kind::NotYours, share);
        both("link on the way planted by another user", Setup::LinkOnTheWay, Kind::NotYours, share);
        both("folder on the way open to others", Setup::FolderOnTheWayOpen, Kind::OpenToOthers,
             share);
        row("the user's own link to a copy of a system file", Setup::LinkToSystemFile, none,
            int(Kind::NotAnAddressBook), file);
        row("a home of the user's own group, umask 002", Setup::OwnGroupHome, Kind::FileMissing, -1,
            "~/.local/share/Pellinova/Tovrin.txt");
        both("the same group with a second member", Setup::SharedGroupHome, Kind::OpenToOthers,
             "~");
        both("XDG_DATA_HOME of bytes that are no text", Setup::XdgNotText, Kind::PathNotText,
             "XDG_DATA_HOME：~/bad\uFFFD");
        both("no HOME", Setup::NoHome, Kind::HomeUnset, "HOME");
        row("XDG_DATA_HOME up from a link", Setup::XdgThroughLinkUp, Kind::FileMissing, -1,
            "~/link/../book/Pellinova/Tovrin.txt");
#endif
    }
    void folderAndFile() {
        QFETCH(Setup, setup);
        QFETCH(int, opened);
        QFETCH(int, added);
        QFETCH(QString, named);
        const QTemporaryDir home; // as $HOME, and $XDG_DATA_HOME is in it, or ignored
        named.replace(u'~', home.path());
        const QString share = home.filePath(QStringLiteral("share %1"));
        const QString victim =
            home.filePath(QStringLiteral("victim")); // a system file's copy, 0644
        QVERIFY(QFile::copy(QStringLiteral("/etc/passwd"), victim) || writeFile(victim, "root:x"));
        const QByteArray secret = fileBytes(victim);
        QString path = share + QStringLiteral("/Pellinova/Tovrin.txt"); // where the book is
#ifdef Q_OS_WIN
        const DataFileLocation location{path};
#else
        QByteArray xdg = QFile::encodeName(share);
        if (setup == Setup::XdgRelative || setup == Setup::OwnGroupHome ||
            setup == Setup::SharedGroupHome) {
            xdg = "share";
            path = home.filePath(QStringLiteral(".local/share/Pellinova/Tovrin.txt"));
        } else if (setup == Setup::XdgNotText) {
            xdg = QFile::encodeName(home.path()) + "/bad\xff";
        } else if (setup == Setup::XdgThroughLinkUp) { // the system goes up from where it is
            QVERIFY(QDir().mkpath(home.filePath("sub/real")));
            QVERIFY(QFile::link(home.filePath("sub/real"), home.filePath("link")));
            xdg = QFile::encodeName(home.filePath("link/../book"));
            path = home.filePath(QStringLiteral("sub/book/Pellinova/Tovrin.txt"));
        }
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_DATA_HOME", xdg);
        if (setup == Setup::NoHome) {
            qunsetenv("HOME");
            qunsetenv("XDG_DATA_HOME");
        }
        const DataFileLocation location = jushoDataFileLocation();
#endif
        const QString folder = QFileInfo(path).absolutePath();
        const bool fresh =
            setup >= Setup::OwnGroupHome || setup == Setup::NoneYet || setup == Setup::XdgRelative;
        QVERIFY(fresh || QDir().mkpath(folder));
        QVERIFY(fresh || QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        if (setup == Setup::Folder)
            QVERIFY(QDir().mkdir(path));
        else if (setup == Setup::LinkPlanted || setup == Setup::LinkToSystemFile)
            QVERIFY(QFile::link(victim, path));
        else if (!fresh && setup != Setup::Pipe)
            QVERIFY(writeFile(path, kLine));
        QVERIFY(setup != Setup::SparseGiant || QFile::resize(path, qint64(2) << 30));
        const UniqueHandle held =
            setup == Setup::CopyAtWork ? holdAsAppending(path) : UniqueHandle();
        const qint64 size = QFileInfo(path).size();
#ifndef Q_OS_WIN
        QVERIFY(setup != Setup::Pipe || ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        if (setup == Setup::LinkOnTheWay) { // to another of the user's books
            QVERIFY(QDir().rename(share, home.filePath("elsewhere")));
            QVERIFY(QFile::link(home.filePath("elsewhere"), share));
        }
        QVERIFY(setup != Setup::FolderOnTheWayOpen ||
                ::chmod(QFile::encodeName(share).constData(), 0777) == 0);
        const UniqueHandle leased(
            setup == Setup::Leased ? ::open(QFile::encodeName(path).constData(), O_RDONLY) : -1);
        if (leased.valid()) {            // and C's words for it English, for the rows after it too
            std::signal(SIGIO, SIG_IGN); // how the holder of a lease hears it is wanted
            QCOMPARE(::fcntl(leased.get(), F_SETLEASE, F_WRLCK), 0);
            ::setlocale(LC_ALL, "C");
        }
        const bool onTheWay =
            setup == Setup::FolderOnTheWayOfAnotherUser || setup == Setup::LinkOnTheWay;
        const QString given = setup == Setup::FolderOfAnotherUser ? folder
                              : onTheWay                          ? share
                                                                  : path;
        const bool another = setup >= Setup::FolderOfAnotherUser && setup <= Setup::LinkOnTheWay;
        if (another && ::lchown(QFile::encodeName(given).constData(), 65534, 0))
            QSKIP("giving a file to another user needs root");
        if (setup == Setup::OwnGroupHome || setup == Setup::SharedGroupHome) {
            const char *members = setup == Setup::OwnGroupHome ? "none" : "another";
            if (qgetenv("PELLINOVA_OWN_GROUP_MEMBERS") != members)
                QSKIP("run as a user of a group of its own by tools/linux/as-user.sh");
            for (const QString &place :
                 {home.path(), home.path() + "/.local", home.path() + "/.local/share"})
                QVERIFY(QDir().mkpath(place) && ::chmod(QFile::encodeName(place), 0775) == 0);
        }
#endif
        const auto modes = [&] {
            return QList{QFileInfo(folder).permissions(), QFileInfo(path).permissions()};
        };
        const auto before = modes();
        JushoTable table;
        const Result<qint16> loaded = LoadJushoTable(table, location);
        QCOMPARE(modes(), before); // reading changes nothing
        const AppendResult appended = AppendJushoRecord(jushoRecord(numbered(1)), location);
        QCOMPARE(kindOf(loaded), opened);
        QCOMPARE(kindOf(appended), added);
        QCOMPARE(fileBytes(victim), secret);
        for (const DataError *refused : {loaded.ok() ? nullptr : &loaded.error(),
                                         appended.ok() ? nullptr : &appended.error()}) {
            if (!refused)
                continue;
            const QString message = refused->message();
            QVERIFY2(message.contains(QDir::toNativeSeparators(named)), qPrintable(message));
            QVERIFY2(inJapanese(message, {named, location.path, path, folder, share, home.path()}),
                     qPrintable(message));
        }
        QVERIFY(hasMode(victim, 0644));
        if (added >= 0) {
            QCOMPARE(QFileInfo(path).size(), size);
            if (setup == Setup::XdgNotText || setup == Setup::NoHome) // nothing made anywhere
                QCOMPARE(QDir(home.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                         QStringList{"victim"});
            return;
        }
        QCOMPARE(fileBytes(path), (fresh ? QByteArray() : kLine) + book(1));
        const QString parent = QFileInfo(folder).absolutePath();
        const int parentMode = setup == Setup::OwnGroupHome ? 0775 : fresh ? 0700 : 0755;
        QVERIFY(hasMode(parent, parentMode) && hasMode(folder, 0700) && hasMode(path, 0600));
    }

    // The system's reasons are told in Japanese: the ones the program has no words of its own
    // for by the system's own name, never as a bare number.
    void systemReasons_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("told");
#ifdef Q_OS_WIN
        QTest::newRow("an encrypted file") << int(ERROR_FILE_ENCRYPTED) << "ロック";
        QTest::newRow("a code without words") << 1234 << "Windows のエラーコード 1234";
#else
        QTest::newRow("a locked encrypted folder") << ENOKEY << "ロック";
        QTest::newRow("a code without words") << ECHRNG << "ECHRNG";
#endif
    }
    void systemReasons() {
        QFETCH(int, code);
        QFETCH(QString, told);
        const QString message = systemFailure(Kind::CannotOpen, m_path, code).message();
        QVERIFY2(message.contains(told) && inJapanese(message, {m_path, told}),
                 qPrintable(message));
    }

    // The book where earlier versions left it on Windows, a folder closed by its mode bits
    // standing in for C:\Program Files. The user's copy (VirtualStore) is read and added to
    // whenever it exists, and where the program's folder is not the user's to write it is made
    // first from the book there, which is then left as it is. What a damaged copy asks and
    // sets aside names the copy, and goes beside it.
    void userCopy_data() {
        QTest::addColumn<bool>("book");       // at the program's path
        QTest::addColumn<QByteArray>("copy"); // the user's copy of it; null: none
        QTest::addColumn<bool>("closed");     // the program's folder to the user
        const QByteArray none;
        QTest::newRow("open folder") << true << none << false;
        QTest::newRow("open folder, copy") << true << book(3) << false;
        QTest::newRow("closed folder") << true << none << true;
        QTest::newRow("closed folder, copy") << true << book(3) << true;
        QTest::newRow("closed folder, no book") << false << none << true;
        QTest::newRow("closed folder, a copy cut short") << true << book(3) + "\"cut" << true;
    }
    void userCopy() {
        QFETCH(bool, book);
        QFETCH(QByteArray, copy);
        QFETCH(bool, closed);
        const QString folder = m_dir.filePath(QStringLiteral("Program %1").arg(m_serial));
        const QString copies = m_dir.filePath(QStringLiteral("VirtualStore %1").arg(m_serial));
        const DataFileLocation location{folder + QStringLiteral("/Tovrin.txt"),
                                        FolderCreation::MustExist,
                                        copies + QStringLiteral("/Tovrin.txt")};
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!book || writeFile(location.path, ::book(2)));
        QVERIFY(copy.isNull() || (QDir().mkpath(copies) && writeFile(location.userCopy, copy)));
        if (closed && !setClosed(folder, true))
            QSKIP("the folder cannot be closed to this user: Wine run by root writes anywhere");
        const QByteArray atProgram = fileBytes(location.path);
        const int shown = !copy.isNull() ? 3 : book ? 2 : 0; // the records Open shows
        const bool cut = copy.endsWith("cut");

        JushoTable table;
        const Result<qint16> loaded = LoadJushoTable(table, location);
        const AppendResult asked = AppendJushoRecord(jushoRecord(numbered(9)), location);
        const AppendResult added =
            AppendJushoRecord(jushoRecord(numbered(9)), location, Repair::SetAsideCutOff);
        if (closed)
            setClosed(folder, false);
        QCOMPARE(loaded.ok() ? int(loaded.value()) : kindOf(loaded),
                 shown ? shown : int(Kind::FileMissing));
        QCOMPARE(kindOf(added), -1);
        const bool toCopy = !copy.isNull() || closed;
        QCOMPARE(fileBytes(location.path),
                 toCopy ? atProgram : atProgram + ::book(1, 9).repeated(2));
        QCOMPARE(fileBytes(location.userCopy),
                 toCopy ? ::book(shown) + ::book(1, 9).repeated(cut ? 1 : 2)
                        : QByteArray("(none)"));
        QCOMPARE(kindOf(asked), cut ? int(Kind::LastRecordIncomplete) : -1);
        if (cut) {
            const QString named = QDir::toNativeSeparators(location.userCopy);
            QVERIFY(loaded.warning(Kind::RecordCutShort)->message().contains(named) &&
                    asked.error().message().contains(named));
            QCOMPARE(QFileInfo(added.value().setAside).absolutePath(),
                     QFileInfo(named).absolutePath());
            QCOMPARE(fileBytes(added.value().setAside), QByteArray("\"cut"));
        }
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
        if (firstFails && !kFileSizeLimits)
            QSKIP("Windows holds no process to a file size limit");
        QVERIFY(writeFile(m_path, book(records)));
        std::vector<QProcess> running(copies);
        for (int copy = 0; copy < copies; ++copy)
            startCopy(running[copy], m_path, 1000 + copy, 0,
                      firstFails && copy == 0 ? QFileInfo(m_path).size() + 10 : 0);
        const QList<int> outcomes = letGo(running);
        // Exactly one adds, what it added is there, and nothing else was written.
        QCOMPARE(outcomes.count(0), 1);
        QVERIFY(!firstFails || outcomes[0] == int(Kind::FileSizeLimit) + 1);
        QCOMPARE(fileBytes(m_path), book(records) + book(1, 1000 + int(outcomes.indexOf(0))));
    }

    // What takes more than a line at the end of the book: a writer killed mid-line leaves
    // whole records and a cut-off one; a text editor saves the book again as UTF-8, with or
    // without a byte order mark. Open reads the whole records right, and Add changes nothing
    // until the user agrees; then it sets the cut-off part, or the UTF-8 book, aside byte for
    // byte beside the book before adding. If any step fails, or the book holds what Shift-JIS
    // cannot, the book stays as it was, with nothing set aside.
    void repair_data() {
        QTest::addColumn<QByteArray>("start"); // of a UTF-8 book; null: a writer is killed
        QTest::addColumn<QString>("address");  // of the book's second person
        QTest::addColumn<int>("limit");        // the repair's file size limit; -1: the file's size
        QTest::addColumn<int>("note");         // characters of the new record's notes
        QTest::addColumn<int>("kind");
        const QByteArray noMark = "";
        QTest::newRow("cut off, set aside") << QByteArray() << "住所" << 0 << 0 << -1;
        QTest::newRow("cut off, the copy cannot be written")
            << QByteArray() << "住所" << 10 << 0 << int(Kind::CannotSetAside);
        QTest::newRow("cut off, the append fails after the cut")
            << QByteArray() << "住所" << -1 << (13 << 20) << int(Kind::FileSizeLimit);
        QTest::newRow("UTF-8") << noMark << "住所" << 0 << 0 << -1;
        QTest::newRow("UTF-8 with a byte order mark")
            << QByteArray("\xEF\xBB\xBF") << "住所" << 0 << 0 << -1;
        QTest::newRow("UTF-8 holding what Shift-JIS cannot")
            << noMark << "서울" << 0 << 0 << int(Kind::CannotConvertBook);
    }
    void repair() {
        QFETCH(QByteArray, start);
        QFETCH(QString, address);
        QFETCH(int, limit);
        QFETCH(int, note);
        QFETCH(int, kind);
        if (limit && !kFileSizeLimits)
            QSKIP("Windows holds no process to a file size limit");
        QStringList second = numbered(2);
        second[1] = address;
        QByteArray before =
            start.isNull() ? QByteArray() : start + utf8Lines({numbered(1), second});
        QVERIFY(before.isNull() || writeFile(m_path, before));
#ifdef Q_OS_WIN // Wine lets a write finish before a kill lands: the cut is made by hand
        if (start.isNull()) {
            QVERIFY(writeFile(m_path, book(2) + shiftJisLines({numbered(3)}).left(30) + "xx"));
            before = fileBytes(m_path);
        }
#endif
        for (int attempt = 0; attempt < 20 && start.isNull() && !before.endsWith('x'); ++attempt) {
            QVERIFY(writeFile(m_path, book(2)));
            before = killWhileAppending(m_path);
        }
        QVERIFY2(!start.isNull() || before.endsWith('x'),
                 "no kill landed while the line was written");
        JushoTable table;
        const Result<qint16> loaded = LoadJushoTable(table, {m_path});
        QCOMPARE(loaded.value(), 2);
        QCOMPARE(table.cell(2, Jusho).toString(), address);
        QCOMPARE(loaded.warnings().size(), 1);
        QVERIFY(loaded.warning(start.isNull() ? Kind::RecordCutShort : Kind::SavedAsUtf8));

        const QStringList fields = numbered(4, QString(note, 'x'));
        const AppendResult asked = AppendJushoRecord(jushoRecord(fields), {m_path});
        QCOMPARE(kindOf(asked), kind == int(Kind::CannotConvertBook) ? kind
                                : start.isNull() ? int(Kind::LastRecordIncomplete)
                                                 : int(Kind::Utf8BookNotConverted));
        QCOMPARE(fileBytes(m_path), before);
        limitFileSize(limit < 0 ? before.size() : limit ? limit : -1);
        const AppendResult repaired = AppendJushoRecord(
            jushoRecord(fields), {m_path}, Repair::SetAsideCutOff | Repair::ConvertToShiftJis);
        limitFileSize(-1);
        QCOMPARE(kindOf(repaired), kind);
        if (kind == int(Kind::CannotConvertBook))
            QVERIFY2(
                repaired.error().message().contains("2件目の記録の「住所」の欄にある文字「서」"),
                qPrintable(repaired.error().message()));

        const QStringList aside =
            QDir(m_dir.path()).entryList({QFileInfo(m_path).fileName() + ".*"});
        QCOMPARE(aside.size(), kind < 0 ? 1 : 0);
        QCOMPARE(fileBytes(m_path), kind < 0 ? book(2) + shiftJisLines({fields}) : before);
        if (kind < 0) {
            const QString copy = m_dir.filePath(aside.first());
            QCOMPARE(fileBytes(copy), start.isNull() ? before.mid(book(2).size()) : before);
            QCOMPARE(repaired.value().setAside, QDir::toNativeSeparators(copy));
            QVERIFY(hasMode(copy, 0600));
        }
    }
};

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == u"--append")
        return appendAsCopy(app.arguments());
    TestDataFile test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_data_file.moc"
