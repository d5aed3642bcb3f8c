#include "frm_jusho.h"
#include "test_support.h"
#include "window_look.h"

#include <QAbstractItemView>
#include <QBitmap>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Records = QList<QStringList>;

namespace {

const QString kPrompt = QStringLiteral("氏名orハンドルネーム");
const QString kDetailsStart = QStringLiteral("情報の表示\n");

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

// The bounding box of everything drawn in a colour other than the top left pixel's.
QRect ink(const QImage &image) {
    const QImage mask = image.createMaskFromColor(image.pixel(0, 0), Qt::MaskInColor);
    return QRegion(QBitmap::fromImage(mask)).boundingRect();
}

} // namespace

class TestFrmJusho : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<frmJusho> window;

    template <typename Control = QWidget> Control *find(const char *name) {
        return child<Control>(*window, QLatin1String(name));
    }
    QComboBox *names() { return find<QComboBox>("cboShimei"); }
    QString details() { return find<QPlainTextEdit>("txtJoho")->toPlainText(); }
    QStringList items() { return itemTexts(names()->model()); }
    ShownMessage pressOpen() {
        return messagesDuring([this] { QTest::mouseClick(find("cmdOpen"), Qt::LeftButton); });
    }

private slots:
    void initTestCase() { applyJapaneseFonts(*qApp); }

    void init() {
        path = dir.filePath(QStringLiteral("Tovrin.txt"));
        QFile::remove(path);
        window = std::make_unique<frmJusho>(DataFileLocation{path, FolderCreation::MustExist});
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    // Where fits is set, the text on the window has the ink of the same text drawn with room.
    void controls_data() {
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<bool>("fits");
        QTest::newRow("txtJoho") << QRect(480, 2280, 5535, 3135) << false;
        QTest::newRow("cboShimei") << QRect(3840, 1920, 2175, 300) << true;
        QTest::newRow("cmdOpen") << QRect(6240, 4080, 1455, 375) << false;
        QTest::newRow("cmdShuryo") << QRect(6240, 4560, 1455, 375) << false;
        QTest::newRow("cmdToroku") << QRect(6240, 5040, 1455, 375) << false;
        QTest::newRow("Label1") << QRect(480, 2040, 3270, 210) << true;
        QTest::newRow("Image1") << QRect(120, 1440, 480, 480) << false;
    }
    void controls() {
        QFETCH(QRect, twips);
        QFETCH(bool, fits);
        QWidget *shown = find(QTest::currentDataTag());
        QCOMPARE(shown->geometry(),
                 twipsRect(twips.left(), twips.top(), twips.width(), twips.height()));
        const QString text = shown->accessibleName();
        QVERIFY(shown->isVisible() && !text.isEmpty());
        if (!fits)
            return;
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

    void startState() {
        QCOMPARE(window->windowTitle(), QStringLiteral("Pellinova Ver1.21"));
        QCOMPARE(window->size(), QSize(twips(7905), twips(5505)));
        QCOMPARE(find<QPushButton>("cmdOpen")->text(), QStringLiteral("開く"));
        QCOMPARE(find<QPushButton>("cmdShuryo")->text(), QStringLiteral("終了"));
        QCOMPARE(find<QPushButton>("cmdToroku")->text(), QStringLiteral("登録"));
        QCOMPARE(find<QLabel>("Image1")->pixmap().size(), QSize(32, 32));
        QCOMPARE(names()->count(), 0);
        QCOMPARE(names()->currentText(), kPrompt);
        QCOMPARE(details(), kDetailsStart);
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
            QCOMPARE(pressOpen().count, 0);
            QCOMPARE(names()->currentIndex(), -1);
            QCOMPARE(names()->currentText(), kPrompt);
            QCOMPARE(details(), kDetailsStart);
        }
        QStringList expected{QString()};
        for (const QStringList &fields : people(listed - 1))
            expected << fields.first();
        QCOMPARE(items(), expected);
    }

    // An Open that could not read the whole file, on an empty list and on a filled one, lists
    // the whole records it read (none if it read nothing) and says why.
    void failedOpen_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<int>("records"); // whole records listed; -1: not even the blank item
        QTest::newRow("missing file") << QByteArray() << "登録" << QMessageBox::Information << -1;
        QTest::newRow("101 records")
            << shiftJisLines(people(101)) << "100件を超える" << QMessageBox::Warning << 100;
        QTest::newRow("cut short") << shiftJisLines(people(2)) + "\"c\",\"\",\"\"\r\n"
                                   << "3件目の記録の途中" << QMessageBox::Warning << 2;
    }
    void failedOpen() {
        QFETCH(QByteArray, content);
        QFETCH(QString, cause);
        QFETCH(QMessageBox::Icon, icon);
        QFETCH(int, records);
        QStringList listed;
        for (const QStringList &fields : people(records))
            listed << fields.first();
        if (records >= 0)
            listed.prepend(QString());
        QVERIFY(content.isNull() || writeFile(path, content));
        QList<ShownMessage> shown{pressOpen()};
        QCOMPARE(items(), listed);

        window = std::make_unique<frmJusho>(DataFileLocation{path});
        window->show();
        QVERIFY(writeFile(path, shiftJisLines(people(1))));
        pressOpen();
        QTest::keyClick(names(), Qt::Key_Down);
        QTest::keyClick(names(), Qt::Key_Down);
        const QString before = details();
        QFile::remove(path);
        QVERIFY(content.isNull() || writeFile(path, content));
        shown.append(pressOpen());
        QCOMPARE(items(), records > 1 ? listed : (QStringList{QString(), "人1"}));
        QCOMPARE(names()->currentIndex(), 1);
        QCOMPARE(details(), before);

        for (const ShownMessage &message : std::as_const(shown)) {
            QCOMPARE(message.count, 1);
            QCOMPARE(message.icon, icon);
            QVERIFY2(message.text.contains(cause) && message.text.contains(path),
                     qPrintable(message.text));
        }
    }

    // Only the mouse and the arrow keys choose: typing, Enter and leaving the field do not.
    void choose() {
        QVERIFY(writeFile(path, shiftJisLines({person("taro", "札幌"), person("hanako"),
                                               person("taro", "那覇")})));
        pressOpen();
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
        QCOMPARE(details(), kDetailsStart);

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
        pressOpen(); // keeps the choice and what it shows
        QCOMPARE(names()->currentIndex(), 2);
        QVERIFY(details().startsWith("東京都\n"));
    }

    void registerAndExit() {
        const auto pressRegister = [this] {
            return messagesDuring([this] { QTest::mouseClick(find("cmdToroku"), Qt::LeftButton); })
                .window;
        };
        QWidget *registration = pressRegister();
        QVERIFY(registration);
        QCOMPARE(pressRegister(), registration); // the one registration window, over this one
        QCOMPARE(registration->parentWidget(), window.get());
        QVERIFY(window->isVisible());

        QTest::mouseClick(find("cmdShuryo"), Qt::LeftButton);
        QTRY_VERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestFrmJusho)
#include "tst_frm_jusho.moc"
