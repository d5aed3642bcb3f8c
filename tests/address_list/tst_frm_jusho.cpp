#include "frm_jusho.h"
#include "test_support.h"
#include "window_look.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Records = QList<QStringList>;

namespace {

// A person as the registration window stores one: notes end in a line break.
QStringList person(const QString &name, const QString &address = QStringLiteral("東京都")) {
    return {name, address, "自宅;03-1234-5678", ";", ";", ";", "友　　人", "メモ\r\n"};
}

Records people(int count) {
    Records records;
    for (int i = 1; i <= count; ++i)
        records.append(person(QStringLiteral("人%1").arg(i)));
    return records;
}

QStringList listed(const Records &records) {
    QStringList names{QString()};
    for (const QStringList &fields : records)
        names << fields.first();
    return names;
}

} // namespace

class TestFrmJusho : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<frmJusho> window;
    QString prompt; // what the name field shows before anything is chosen
    QString startDetails;

    template <typename Control = QWidget> Control *find(const char *name) {
        return child<Control>(*window, QLatin1String(name));
    }
    QComboBox *names() { return find<QComboBox>("cboShimei"); }
    QString details() { return find<QPlainTextEdit>("txtJoho")->toPlainText(); }
    QStringList items() { return itemTexts(names()->model()); }
    ShownMessage press(const char *button) {
        return messagesDuring([this, button] { QTest::mouseClick(find(button), Qt::LeftButton); });
    }

    void openWindow() {
        window = std::make_unique<frmJusho>(DataFileLocation{path});
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        prompt = names()->currentText();
        startDetails = details();
    }

private slots:
    void initTestCase() { applyJapaneseFonts(*qApp); }

    void init() {
        path = dir.filePath(QStringLiteral("Tovrin.txt"));
        QFile::remove(path);
        openWindow();
    }

    // Run at scale factors 1 and 2: the pictures are drawn from ones made for the density.
    void startState() {
        const qreal density = window->devicePixelRatio() > 1 ? 2 : 1;
        for (const char *name : {"banner", "Image1"})
            QCOMPARE(find<QLabel>(name)->pixmap().devicePixelRatio(), density);
        QCOMPARE(find<QLabel>("Image1")->pixmap().size(), find("Image1")->size() * density);
        QCOMPARE(names()->count(), 0);
        QVERIFY(!prompt.isEmpty() && !startDetails.isEmpty());
        for (const char *name :
             {"txtJoho", "cboShimei", "cmdOpen", "cmdShuryo", "cmdToroku", "txtJoho"}) {
            QCOMPARE(QApplication::focusWidget(), find(name));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
    }

    // Each row gives the file at each press of Open: every Open adds only the names beyond
    // those listed, and none of them chooses anything.
    void open_data() {
        QTest::addColumn<QList<Records>>("files");
        QTest::addColumn<int>("listed");
        QTest::newRow("zero-byte file twice") << QList<Records>{{}, {}} << 1;
        QTest::newRow("three records twice") << QList<Records>{people(3), people(3)} << 4;
        QTest::newRow("100 records twice") << QList<Records>{people(100), people(100)} << 101;
        QTest::newRow("grown, then shorter")
            << QList<Records>{people(2), people(3), people(1)} << 4;
    }
    void open() {
        QFETCH(QList<Records>, files);
        QFETCH(int, listed);
        for (const Records &records : files) {
            QVERIFY(writeFile(path, shiftJisLines(records)));
            QCOMPARE(press("cmdOpen").count, 0);
            QCOMPARE(names()->currentIndex(), -1);
            QCOMPARE(names()->currentText(), prompt);
            QCOMPARE(details(), startDetails);
        }
        QCOMPARE(items(), ::listed(people(listed - 1)));
    }

    // An Open that cannot read the whole file lists the whole records it read (a missing file
    // has none, not even the blank item) and says why, once.
    void failedOpen_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("missing file")
            << QByteArray() << "登録" << QMessageBox::Information << QStringList();
        QTest::newRow("cut short")
            << shiftJisLines(people(2)) + "\"c\",\"\",\"\"\r\n"
            << "3件目の記録の途中" << QMessageBox::Warning << listed(people(2));
    }
    void failedOpen() {
        QFETCH(QByteArray, content);
        QFETCH(QString, cause);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(QStringList, items);
        QVERIFY(content.isNull() || writeFile(path, content));
        const ShownMessage shown = press("cmdOpen");
        QCOMPARE(this->items(), items);
        QCOMPARE(shown.count, 1);
        QCOMPARE(shown.icon, icon);
        QVERIFY2(shown.text.contains(cause) && shown.text.contains(path), qPrintable(shown.text));
    }

    // Only the mouse and the arrow keys choose: typing, Enter and leaving the field do not.
    void choose() {
        QVERIFY(writeFile(path, shiftJisLines({person("taro", "札幌"), person("hanako"),
                                               person("taro", "那覇")})));
        press("cmdOpen");
        names()->setFocus();
        names()->clearEditText();
        QTest::keyClicks(names(), "hanako");
        QTest::keyClick(names(), Qt::Key_Return);
        QTest::keyClick(names(), Qt::Key_Tab);
        names()->setFocus();
        names()->clearEditText();
        QTest::keyClicks(names(), "ta");
        QCOMPARE(names()->currentText(), QStringLiteral("ta")); // no completer
        QCOMPARE(items(), (QStringList{QString(), "taro", "hanako", "taro"}));
        QCOMPARE(names()->currentIndex(), -1);
        QCOMPARE(details(), startDetails);

        QTest::keyClick(names(), Qt::Key_Down); // from no selection to the blank item
        QCOMPARE(details(), QString("\n").repeated(7));
        QTest::keyClick(names(), Qt::Key_Down);
        QCOMPARE(details(), QStringLiteral("札幌\n自宅;03-1234-5678\n;\n;\n;\n友　　人\nメモ\n\n"));

        find<QPlainTextEdit>("txtJoho")->insertPlainText("書き込み");
        names()->showPopup();
        QAbstractItemView *list = names()->view();
        QTRY_VERIFY(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(3, 0)).center());
        QTRY_COMPARE(names()->currentIndex(), 3);
        QVERIFY(details().startsWith("那覇\n"));
        QVERIFY(!details().contains("書き込み"));

        QTest::keyClick(names(), Qt::Key_Up);
        QVERIFY(details().startsWith("東京都\n"));
        press("cmdOpen"); // keeps the choice and what it shows
        QCOMPARE(names()->currentIndex(), 2);
        QVERIFY(details().startsWith("東京都\n"));
    }

    // The road a new user takes: Register, type a person, Add, Exit; nothing is listed until
    // Open, which lists the new person; 終了 ends the program.
    void registerAddOpenExit() {
        const QString inFolder = dir.filePath(QStringLiteral("new/Pellinova/Tovrin.txt"));
        window =
            std::make_unique<frmJusho>(DataFileLocation{inFolder, FolderCreation::CreateOwnFolder});
        window->show();
        QWidget *registration = nullptr;
        QTimer poll; // fills in the registration window once it is up, then leaves it
        connect(&poll, &QTimer::timeout, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            poll.stop();
            registration = dialog;
            child<QLineEdit>(*dialog, "txtShimei")->setText(QStringLiteral("山田太郎"));
            child<QComboBox>(*dialog, "cboPhone_0")->setCurrentIndex(0);
            child<QLineEdit>(*dialog, "txtPhone_0")->setText(QStringLiteral("03-1111-2222"));
            child<QListWidget>(*dialog, "lstOS")->setCurrentRow(2);
            QTest::mouseClick(child(*dialog, "OKButton"), Qt::LeftButton);
            QTest::mouseClick(child(*dialog, "cmdShuryo"), Qt::LeftButton);
        });
        poll.start(0);
        QTest::mouseClick(find("cmdToroku"), Qt::LeftButton);
        QVERIFY(registration);
        QCOMPARE(registration->parentWidget(), window.get());
        QCOMPARE(names()->count(), 0);
        QCOMPARE(press("cmdToroku").window, registration); // the one registration window

        QCOMPARE(press("cmdOpen").count, 0);
        QCOMPARE(items(), (QStringList{QString(), "山田太郎"}));
        QTest::keyClick(names(), Qt::Key_Down);
        QTest::keyClick(names(), Qt::Key_Down);
        QCOMPARE(details(),
                 QStringLiteral("\n自宅;03-1111-2222\n;\n;\n;\n家　　族\n"
                                "・・・・・・・・・・補足情報・・・・・・・・・・・・\n\n"));

        QTest::mouseClick(find("cmdShuryo"), Qt::LeftButton);
        QTRY_VERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestFrmJusho)
#include "tst_frm_jusho.moc"
