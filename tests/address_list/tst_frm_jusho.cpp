#include "frm_jusho.h"
#include "window_look.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using Records = QList<QStringList>;

class TestFrmJusho : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void startState();
    void textsFit_data();
    void textsFit();
    void open_data();
    void open();
    void openAppendsOnlyNewRecords();
    void failedOpen_data();
    void failedOpen();
    void choose();
    void typingRunsNothing();
    void messageBoxForMissingFile();
    void registerAndExit();

private:
    template <typename Control = QWidget> Control *find(const char *name) {
        auto *control = window->findChild<Control *>(QLatin1String(name));
        Q_ASSERT(control);
        return control;
    }
    QComboBox *names() { return find<QComboBox>("cboShimei"); }
    QString details() { return find<QPlainTextEdit>("txtJoho")->toPlainText(); }
    QStringList items();
    void clickOpen() { QTest::mouseClick(find("cmdOpen"), Qt::LeftButton); }
    void write(const QByteArray &bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly);

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<frmJusho> window;
    QList<Notice> notices;
};

// A person as the registration window stores one: notes end in a line break.
static QStringList person(const QString &name, const QString &address = QStringLiteral("東京都")) {
    return {name, address, "自宅;03-1234-5678", ";", ";", ";", "友　　人", "メモ\r\n"};
}

static Records people(int count) {
    Records records;
    for (int i = 1; i <= count; ++i)
        records.append(person(QStringLiteral("人%1").arg(i)));
    return records;
}

void TestFrmJusho::write(const QByteArray &bytes, QIODevice::OpenMode mode) {
    QFile file(path);
    QVERIFY(file.open(mode));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The data file's bytes for the records, written here so that no test relies on the writer.
static QByteArray fileBytes(const Records &records) {
    QString text;
    for (const QStringList &fields : records)
        text += '"' + fields.join(QStringLiteral("\",\"")) + "\"\r\n";
    return QStringEncoder("windows-31j").encode(text);
}

QStringList TestFrmJusho::items() {
    QStringList texts;
    for (int i = 0; i < names()->count(); ++i)
        texts.append(names()->itemText(i));
    return texts;
}

void TestFrmJusho::initTestCase() {
    applyJapaneseFonts(*qApp);
}

void TestFrmJusho::init() {
    path = dir.filePath(QStringLiteral("Tovrin.txt"));
    window = std::make_unique<frmJusho>(DataFileLocation{path, FolderCreation::MustExist});
    notices.clear();
    window->setNotifier([this](const Notice &notice) { notices.append(notice); });
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void TestFrmJusho::cleanup() {
    window.reset();
    QFile::remove(path);
}

void TestFrmJusho::controls_data() {
    QTest::addColumn<QRect>("twips");
    QTest::newRow("txtJoho") << QRect(480, 2280, 5535, 3135);
    QTest::newRow("cboShimei") << QRect(3840, 1920, 2175, 300);
    QTest::newRow("cmdOpen") << QRect(6240, 4080, 1455, 375);
    QTest::newRow("cmdShuryo") << QRect(6240, 4560, 1455, 375);
    QTest::newRow("cmdToroku") << QRect(6240, 5040, 1455, 375);
    QTest::newRow("Label1") << QRect(480, 2040, 3270, 210);
    QTest::newRow("Image1") << QRect(120, 1440, 480, 480);
}

void TestFrmJusho::controls() {
    QFETCH(QRect, twips);
    QWidget *control = find(QTest::currentDataTag());
    QCOMPARE(control->geometry(),
             twipsRect(twips.left(), twips.top(), twips.width(), twips.height()));
    QVERIFY(control->isVisible());
    QVERIFY(!control->accessibleName().isEmpty());
}

void TestFrmJusho::startState() {
    QCOMPARE(window->windowTitle(), QStringLiteral("Pellinova Ver1.21"));
    QCOMPARE(window->size(), QSize(twips(7905), twips(5505)));
    QCOMPARE(find<QPushButton>("cmdOpen")->text(), QStringLiteral("開く"));
    QCOMPARE(find<QPushButton>("cmdShuryo")->text(), QStringLiteral("終了"));
    QCOMPARE(find<QPushButton>("cmdToroku")->text(), QStringLiteral("登録"));
    QCOMPARE(find<QLabel>("Image1")->pixmap().size(), QSize(32, 32));
    QCOMPARE(names()->count(), 0);
    QCOMPARE(names()->currentText(), QStringLiteral("氏名orハンドルネーム"));
    QCOMPARE(details(), QStringLiteral("情報の表示\n"));

    // Tab runs from the details box through the list and the buttons, and back.
    const char *order[] = {"txtJoho", "cboShimei", "cmdOpen", "cmdShuryo", "cmdToroku", "txtJoho"};
    for (const char *name : order) {
        QCOMPARE(QApplication::focusWidget(), find(name));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

// The bounding box of everything drawn in a colour other than the top left pixel's.
static QRect ink(const QImage &image) {
    QRect box;
    const QRgb background = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

void TestFrmJusho::textsFit_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("notice") << "Label1";
    QTest::newRow("name prompt") << "cboShimei";
}

void TestFrmJusho::textsFit() {
    QFETCH(QString, name);
    QWidget *shown = find(name.toLatin1());
    QString text = shown->accessibleName();
    if (auto *combo = qobject_cast<QComboBox *>(shown))
        shown = combo->lineEdit();
    QImage alone(800, 100, QImage::Format_RGB32);
    alone.fill(Qt::white);
    QPainter painter(&alone);
    painter.setFont(shown->font());
    painter.drawText(50, 60, text);
    painter.end();
    const QImage onWindow =
        window->grab(QRect(shown->mapTo(window.get(), QPoint(0, 0)), shown->size())).toImage();
    QCOMPARE(ink(onWindow).size(), ink(alone).size());
}

void TestFrmJusho::open_data() {
    QTest::addColumn<Records>("records");
    QTest::newRow("zero-byte file") << Records{};
    QTest::newRow("three records") << people(3);
    QTest::newRow("one name twice") << Records{person("太郎"), person("花子"), person("太郎")};
    QTest::newRow("100 records") << people(100);
}

void TestFrmJusho::open() {
    QFETCH(Records, records);
    write(fileBytes(records));
    QStringList expected{QString()};
    for (const QStringList &fields : records)
        expected.append(fields.first());

    for (int press = 0; press < 2; ++press) {
        clickOpen();
        QCOMPARE(items(), expected);
        QCOMPARE(names()->currentIndex(), -1);
        QCOMPARE(names()->currentText(), QStringLiteral("氏名orハンドルネーム"));
        QCOMPARE(details(), QStringLiteral("情報の表示\n"));
    }
    QVERIFY(notices.isEmpty());
}

void TestFrmJusho::openAppendsOnlyNewRecords() {
    write(fileBytes(people(2)));
    clickOpen();
    QTest::keyClick(names(), Qt::Key_Down);
    QTest::keyClick(names(), Qt::Key_Down);
    const QString shown = details();
    write(fileBytes({person("新人")}), QIODevice::Append);
    QCOMPARE(items().size(), 3);
    clickOpen();
    QCOMPARE(items(), (QStringList{QString(), "人1", "人2", "新人"}));
    QCOMPARE(names()->currentIndex(), 1);
    QCOMPARE(details(), shown);
}

void TestFrmJusho::failedOpen_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("information");
    QTest::newRow("missing file") << QByteArray() << true;
    QTest::newRow("101 records") << fileBytes(people(101)) << false;
    QTest::newRow("cut short") << fileBytes(people(2)) + "\"c\",\"\",\"\"\r\n" << false;
}

void TestFrmJusho::failedOpen() {
    QFETCH(QByteArray, content);
    QFETCH(bool, information);
    if (!content.isNull())
        write(content);
    clickOpen(); // on an empty list
    QCOMPARE(items(), QStringList{});

    write(fileBytes(people(1)));
    clickOpen();
    QTest::keyClick(names(), Qt::Key_Down);
    QTest::keyClick(names(), Qt::Key_Down);
    const QString shown = details();
    QFile::remove(path);
    if (!content.isNull())
        write(content);
    clickOpen(); // on a filled list
    QCOMPARE(items(), (QStringList{QString(), "人1"}));
    QCOMPARE(details(), shown);

    QCOMPARE(notices.size(), 2);
    for (const Notice &notice : std::as_const(notices)) {
        QCOMPARE(notice.kind == Notice::Kind::Information, information);
        QVERIFY2(notice.text.contains(path), qPrintable(notice.text));
    }
}

void TestFrmJusho::choose() {
    write(fileBytes({person("太郎", "札幌"), person("花子"), person("太郎", "那覇")}));
    clickOpen();
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
}

void TestFrmJusho::typingRunsNothing() {
    write(fileBytes({person("taro"), person("hanako")}));
    clickOpen();
    names()->setFocus();
    names()->clearEditText();
    QTest::keyClicks(names(), "hanako");
    QTest::keyClick(names(), Qt::Key_Return);
    QTest::keyClick(names(), Qt::Key_Tab);
    names()->setFocus();
    names()->clearEditText();
    QTest::keyClicks(names(), "ta");
    QCOMPARE(names()->currentText(), QStringLiteral("ta")); // not completed
    QCOMPARE(items(), (QStringList{QString(), "taro", "hanako"}));
    QCOMPARE(names()->currentIndex(), -1);
    QCOMPARE(details(), QStringLiteral("情報の表示\n"));
}

// Runs the action and closes the modal window it opens, after handing it to seen.
static void closeModalDuring(const std::function<void()> &action,
                             const std::function<void(QWidget *)> &seen = {}) {
    QTimer poll; // dies with this function, so it never outlives what it captures
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            poll.stop();
            if (seen)
                seen(modal);
            modal->close();
        }
    });
    poll.start(0);
    action();
}

void TestFrmJusho::messageBoxForMissingFile() {
    window->setNotifier({});
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    closeModalDuring([this] { clickOpen(); },
                     [&](QWidget *modal) {
                         if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                             icon = box->icon();
                             text = box->text();
                         }
                     });
    QCOMPARE(icon, QMessageBox::Information);
    QVERIFY2(text.contains("登録") && text.contains(path), qPrintable(text));
}

void TestFrmJusho::registerAndExit() {
    QList<QWidget *> shown;
    for (int press = 0; press < 2; ++press) {
        closeModalDuring([this] { QTest::mouseClick(find("cmdToroku"), Qt::LeftButton); },
                         [&](QWidget *modal) { shown.append(modal); });
    }
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.first(), shown.last()); // the one registration window, over this one
    QCOMPARE(shown.first()->parentWidget(), window.get());
    QVERIFY(window->isVisible());

    QTest::mouseClick(find("cmdShuryo"), Qt::LeftButton);
    QTRY_VERIFY(!window->isVisible());
}

QTEST_MAIN(TestFrmJusho)
#include "tst_frm_jusho.moc"
