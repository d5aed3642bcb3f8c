#include "data_file.h"
#include "fault_conditions.h"
#include "frm_jusho.h"
#include "frm_toroku.h"
#include "message_capture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <optional>

namespace {

enum Fault {
    DiskFull,
    FileSizeLimitHit,
    ReadOnlyFileSystem,
    ReadOnlyFolder,
    DataFileIsFolder,
    Unreadable,
    MoreThan100Records,
    CutInsideRecord,
    BlankLineAtEnd,
    NotShiftJis,
};
enum Press { Open, Add };

const QString kNewcomer = QStringLiteral("新しい人");

QByteArray asciiLine(int i) {
    return "\"p" + QByteArray::number(i) + "\",\"\",\";\",\";\",\";\",\";\",\"\",\"\"\r\n";
}

// The data file as the user would find it: its bytes, or what stands in its place.
QByteArray snapshot(const QString &path) {
    const QFileInfo info(path);
    if (info.isDir())
        return "(folder: " +
               QDir(path).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).join(u',').toUtf8() +
               ")";
    QFile file(path);
    if (!file.exists())
        return "(none)";
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void writeBytes(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode) {
    QFile file(path);
    QVERIFY(file.open(mode));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

// Each fault made real, then the button pressed in the real window: the program keeps
// running, the user reads what went wrong and where, and the data file is as it should be.
class TestFaultMatrix : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_serial = 0;
    QString m_folder;
    QString m_path;
    std::unique_ptr<TmpfsMount> m_mount;

    // A tmpfs over the data folder; false (and the test skipped) where mounting is refused.
    bool mountOverFolder(const char *options) {
        m_mount = std::make_unique<TmpfsMount>();
        if (m_mount->mount(m_folder, options))
            return true;
        m_mount.reset();
        return false;
    }

    void addPerson(const QString &name) {
        JushoRecord record;
        record.fill(QStringLiteral(";"));
        record[Shimei] = name;
        record[Jusho] = QStringLiteral("東京都");
        record[Kankei] = QStringLiteral("友　　人");
        record[Hosoku] = QStringLiteral("メモ\r\n");
        QVERIFY(!AppendJushoRecord(record, m_path));
    }

    void writeTwoPeople() {
        addPerson(QStringLiteral("山田"));
        addPerson(QStringLiteral("鈴木"));
    }

    // Puts the fault in place; the limit and the dropped privileges come only with the press.
    void breakData(Fault fault) {
        switch (fault) {
        case DiskFull:
            fillDisk(m_folder);
            break;
        case ReadOnlyFileSystem:
            QVERIFY(m_mount->setReadOnly(true));
            break;
        case ReadOnlyFolder:
            QVERIFY(QFile::remove(m_path));
            QVERIFY(QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::ExeOwner));
            break;
        case DataFileIsFolder:
            QVERIFY(QFile::remove(m_path));
            QVERIFY(QDir().mkdir(m_path));
            break;
        case Unreadable:
            QVERIFY(QFile::setPermissions(m_path, QFile::WriteOwner));
            break;
        case MoreThan100Records: {
            QByteArray more;
            for (int i = 3; i <= 101; ++i)
                more += asciiLine(i);
            writeBytes(m_path, more, QIODevice::Append);
            break;
        }
        case CutInsideRecord:
            writeBytes(m_path, "\"p3\",\"\",\";\",\"", QIODevice::Append);
            break;
        case BlankLineAtEnd:
            writeBytes(m_path, "\r\n", QIODevice::Append);
            break;
        case NotShiftJis:
            writeBytes(m_path, "\"\x85\x40\"" + asciiLine(3).mid(4), QIODevice::Append);
            break;
        case FileSizeLimitHit:
            break;
        }
    }

    // Takes the cause away again. For Open, the data file is whole again, one person longer.
    void repair(Fault fault, Press button) {
        if (fault == DiskFull)
            QVERIFY(QFile::remove(m_folder + QStringLiteral("/filler")));
        if (fault == ReadOnlyFileSystem)
            QVERIFY(m_mount->setReadOnly(false));
        if (fault == ReadOnlyFolder)
            QVERIFY(QFile::setPermissions(m_folder,
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        if (fault == DataFileIsFolder)
            QVERIFY(QDir().rmdir(m_path));
        if (button == Open) {
            QFile::remove(m_path);
            writeTwoPeople();
            addPerson(kNewcomer);
        }
    }

    ShownMessage press(Press button, QWidget *window) {
        const char *name = button == Open ? "cmdOpen" : "OKButton";
        auto *control = window->findChild<QPushButton *>(QLatin1String(name));
        return messagesDuring([control] { QTest::mouseClick(control, Qt::LeftButton); });
    }

private slots:
    void initTestCase() {
        // As the program does: a file size limit must fail the write, not end the process.
        std::signal(SIGXFSZ, SIG_IGN);
    }

    void init() {
        m_folder = m_dir.filePath(QString::number(++m_serial));
        QVERIFY(QDir().mkdir(m_folder));
        m_path = m_folder + QStringLiteral("/Tovrin.txt");
    }

    void cleanup() {
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        m_mount.reset();
    }

    void fault_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("button");
        QTest::addColumn<QStringList>("seen");
        const QString cannotOpen = QStringLiteral("データファイルを開けませんでした");
        const QString unchanged = QStringLiteral("ファイルは元のままです");
        QTest::newRow("disk full during Add")
            << int(DiskFull) << int(Add) << QStringList{"ディスクに空きがない", unchanged};
        QTest::newRow("file size limit hit mid-write")
            << int(FileSizeLimitHit) << int(Add)
            << QStringList{"ファイルの大きさの上限", unchanged};
        QTest::newRow("read-only file system")
            << int(ReadOnlyFileSystem) << int(Add) << QStringList{cannotOpen, "読み取り専用"};
        QTest::newRow("read-only folder")
            << int(ReadOnlyFolder) << int(Add)
            << QStringList{cannotOpen, "アクセスが許可されていません"};
        QTest::newRow("data file is a folder, Open")
            << int(DataFileIsFolder) << int(Open) << QStringList{"ファイルではないもの"};
        QTest::newRow("data file is a folder, Add")
            << int(DataFileIsFolder) << int(Add) << QStringList{"ファイルではないもの"};
        QTest::newRow("data file cannot be read")
            << int(Unreadable) << int(Open)
            << QStringList{cannotOpen, "アクセスが許可されていません"};
        QTest::newRow("more than 100 records")
            << int(MoreThan100Records) << int(Open) << QStringList{"100件を超える", "101件目"};
        QTest::newRow("file cut inside a record")
            << int(CutInsideRecord) << int(Open)
            << QStringList{"3件目の記録の途中（「各アドレス2」"};
        QTest::newRow("blank line at the end")
            << int(BlankLineAtEnd) << int(Open)
            << QStringList{"3件目の記録の途中（「住所」", "最後に空の行"};
        QTest::newRow("bytes that are not Shift-JIS")
            << int(NotShiftJis) << int(Open)
            << QStringList{"3件目の記録の「名前」の欄", "Shift-JIS として読めない"};
    }

    void fault() {
        QFETCH(int, fault);
        QFETCH(int, button);
        QFETCH(QStringList, seen);

        if (fault == DiskFull && !mountOverFolder("size=64k"))
            QSKIP("mounting a small tmpfs needs root (CAP_SYS_ADMIN)");
        if (fault == ReadOnlyFileSystem && !mountOverFolder("size=1m"))
            QSKIP("mounting a tmpfs to make read-only needs root (CAP_SYS_ADMIN)");
        writeTwoPeople();
        if (QTest::currentTestFailed())
            return;

        const DataFileLocation location{m_path, FolderCreation::MustExist};
        frmJusho list(location);
        frmToroku registration(location);
        QWidget *window = &list;
        auto *names = list.findChild<QComboBox *>(QStringLiteral("cboShimei"));
        auto *name = registration.findChild<QLineEdit *>(QStringLiteral("txtShimei"));
        if (button == Open) {
            list.show();
            QCOMPARE(press(Open, &list).count, 0);
            QCOMPARE(names->count(), 3);
        } else {
            window = &registration;
            registration.Form_Load();
            registration.show();
            name->setText(kNewcomer);
            // Longer than what a full disk still has room for in its last page.
            registration.findChild<QPlainTextEdit *>(QStringLiteral("Text1"))
                ->setPlainText(QString(8192, u'メ'));
        }
        breakData(Fault(fault));
        if (QTest::currentTestFailed())
            return;
        const QByteArray before = snapshot(m_path);

        ShownMessage shown;
        {
            std::optional<FileSizeLimit> limit;
            std::optional<ModeBitsApply> modeBits;
            if (fault == FileSizeLimitHit) {
                limit.emplace(rlim_t(QFileInfo(m_path).size() + 10));
                QVERIFY(limit->active());
            }
            if (fault == Unreadable || fault == ReadOnlyFolder) {
                modeBits.emplace();
                if (!modeBits->active())
                    QSKIP("cannot drop root's access override for this thread");
            }
            shown = press(Press(button), window);
        }

        QCOMPARE(shown.count, 1);
        QCOMPARE(shown.icon, QMessageBox::Warning);
        QVERIFY2(shown.text.contains(m_path), qPrintable(shown.text));
        for (const QString &part : seen)
            QVERIFY2(shown.text.contains(part), qPrintable(shown.text));
        qInfo().noquote() << "shown:" << shown.text;

        // Still running, unchanged, and the data file as it was before the press.
        QVERIFY(window->isVisible());
        QCOMPARE(names->count(), button == Open ? 3 : 0);
        QCOMPARE(name->text(), button == Open ? QString() : kNewcomer);
        QCOMPARE(snapshot(m_path), before);

        // Once the cause is gone, the same press works: nothing of the failure lingers.
        repair(Fault(fault), Press(button));
        if (QTest::currentTestFailed())
            return;
        auto table = std::make_unique<JushoTable>();
        const qint16 existing = LoadJushoTable(*table, m_path).count;
        QCOMPARE(press(Press(button), window).count, 0);
        if (button == Open) {
            QCOMPARE(names->count(), 4);
            QCOMPARE(names->itemText(3), kNewcomer);
        } else {
            const LoadResult loaded = LoadJushoTable(*table, m_path);
            QVERIFY(loaded.ok());
            QCOMPARE(loaded.count, existing + 1);
            QCOMPARE(table->cell(loaded.count, Shimei), kNewcomer);
        }
    }
};

QTEST_MAIN(TestFaultMatrix)
#include "tst_fault_matrix.moc"
