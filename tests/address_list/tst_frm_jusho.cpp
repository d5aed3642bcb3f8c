#include "frm_jusho.h"
#include "test_support.h"
#include "window_look.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// A person as the registration window stores one: notes end in a line break. The address
// and the notes carry the name, so that the details show whose they are.
QStringList person(const QString &name, const QString &address = {}) {
    const QString where = address.isEmpty() ? name + "の住所" : address;
    return {name, where, "自宅;03-1234-5678", ";", ";", ";", "友　　人", name + "のメモ\r\n"};
}

QList<QStringList> people(int count) {
    QList<QStringList> records;
    for (int i = 1; i <= count; ++i)
        records.append(person(QStringLiteral("人%1").arg(i)));
    return records;
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
    QStringList items() {
        QStringList texts;
        for (int i = 0; i < names()->count(); ++i)
            texts << names()->itemText(i);
        return texts;
    }
    ShownMessage press(const char *button) {
        return messagesDuring([this, button] { QTest::mouseClick(find(button), Qt::LeftButton); });
    }

private slots:
    void initTestCase() { applyJapaneseFonts(*qApp); }

    void init() {
        path = QDir::toNativeSeparators(dir.filePath(QStringLiteral("Tovrin.txt")));
        QFile::remove(path);
        window = std::make_unique<frmJusho>(DataFileLocation{path});
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        prompt = names()->currentText();
        startDetails = details();
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

    // Each row gives the file at each press of Open (none: no file): every Open adds only the
    // names of whole records beyond those listed, and none of them chooses anything. An Open
    // that cannot read the whole file says why, naming the file; that the book was saved as
    // UTF-8 is said only once. Then
    // each name listed shows one whole person: a file replaced by a shorter, damaged one
    // never mixes the fields of two.
    void open_data() {
        QTest::addColumn<QList<QByteArray>>("files");
        QTest::addColumn<int>("listed"); // records; -1: not even the blank item
        QTest::addColumn<QString>("cause");
        const auto book = [](int count) { return shiftJisLines(people(count)); };
        QTest::newRow("zero-byte file twice") << QList<QByteArray>{"", ""} << 0 << QString();
        QTest::newRow("100 records twice") << QList{book(100), book(100)} << 100 << QString();
        QTest::newRow("grown, then shorter") << QList{book(2), book(3), book(1)} << 3 << QString();
        QTest::newRow("no file") << QList<QByteArray>{{}} << -1 << "登録";
        QTest::newRow("cut short") << QList{book(2) + "\"c\",\""} << 2 << "3件目の記録の途中";
        QTest::newRow("replaced by a shorter one cut short")
            << QList{book(3), book(1) + "\"X2\",\"X2の住所\",\""} << 3 << "2件目の記録の途中";
        QTest::newRow("saved as UTF-8, with a byte order mark, then without")
            << QList{"\xEF\xBB\xBF" + utf8Lines(people(2)), utf8Lines(people(3))} << 3
            << "UTF-8 で保存";
    }
    void open() {
        QFETCH(QList<QByteArray>, files);
        QFETCH(int, listed);
        QFETCH(QString, cause);
        ShownMessage shown;
        int told = 0;
        for (const QByteArray &bytes : files) {
            QVERIFY(bytes.isNull() || writeFile(path, bytes));
            const ShownMessage pressed = press("cmdOpen");
            told += pressed.count;
            if (pressed.count > 0)
                shown = pressed;
            QCOMPARE(names()->currentIndex(), -1);
            QCOMPARE(names()->currentText(), prompt);
            QCOMPARE(details(), startDetails);
        }
        QStringList listedNames{QString()}; // the blank item, then each whole record's name
        for (const QStringList &fields : people(listed))
            listedNames << fields.first();
        QCOMPARE(items(), listed < 0 ? QStringList() : listedNames);
        QCOMPARE(told, int(!cause.isEmpty()));
        QVERIFY2(shown.text.contains(cause) && shown.text.contains(cause.isEmpty() ? "" : path),
                 qPrintable(shown.text));
        QCOMPARE(shown.icon, cause.isEmpty()          ? QMessageBox::NoIcon
                             : files.first().isNull() ? QMessageBox::Information
                                                      : QMessageBox::Warning);
        names()->setFocus();
        for (int item = 0; item < names()->count(); ++item) {
            QTest::keyClick(names(), Qt::Key_Down);
            const QString name = names()->itemText(item); // its address and notes carry it
            const QStringList lines = details().split(u'\n');
            QCOMPARE(lines.value(0) + lines.value(6),
                     item ? name + "の住所" + name + "のメモ" : "");
        }
    }

    // Only the mouse and the arrow keys choose: typing, Enter and leaving the field do not. A
    // name or a field past what the list or the details show is cut, and marked as cut.
    void choose() {
        QStringList giant = person(QString(150, u'長'));
        giant.last() = QStringLiteral("一行目\r\n") + QString(6000, u'x') + "\r\n";
        QVERIFY(writeFile(path, shiftJisLines({person("taro", "札幌"), person("hanako"),
                                               person("taro", "那覇"), giant})));
        press("cmdOpen");
        names()->setFocus();
        names()->clearEditText();
        QTest::keyClicks(names(), "ta");
        QCOMPARE(names()->currentText(), QStringLiteral("ta")); // no completer
        names()->clearEditText();
        QTest::keyClicks(names(), "hanako");
        QTest::keyClick(names(), Qt::Key_Return);
        QTest::keyClick(names(), Qt::Key_Tab);
        QCOMPARE(items(),
                 (QStringList{QString(), "taro", "hanako", "taro", QString(100, u'長') + "…"}));
        QCOMPARE(names()->currentIndex(), -1);
        QCOMPARE(details(), startDetails);

        names()->setFocus();
        QTest::keyClick(names(), Qt::Key_Down); // from no selection to the blank item
        QCOMPARE(details(), QString("\n").repeated(7));
        QTest::keyClick(names(), Qt::Key_Down);
        QCOMPARE(details(),
                 QStringLiteral("札幌\n自宅;03-1234-5678\n;\n;\n;\n友　　人\ntaroのメモ\n\n"));

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
        QVERIFY(details().startsWith("hanakoの住所\n"));
        press("cmdOpen"); // keeps the choice and what it shows
        QCOMPARE(names()->currentIndex(), 2);
        QVERIFY(details().startsWith("hanakoの住所\n"));

        names()->setFocus();
        QTest::keyClick(names(), Qt::Key_Down);
        QTest::keyClick(names(), Qt::Key_Down);
        const QStringList lines = details().split(u'\n');
        QCOMPARE(lines.value(6), QStringLiteral("一行目"));
        static const QRegularExpression cut(QStringLiteral("^(x+)…（以下 ([0-9,]+) 文字を省略）$"));
        const auto mark = cut.match(lines.value(7));
        QVERIFY2(mark.hasMatch(), qPrintable(lines.value(7).right(40)));
        QCOMPARE(mark.capturedLength(1) + QLocale(QLocale::English).toInt(mark.captured(2)),
                 6000 + 2); // every x and the line break shown or counted
        QCOMPARE(lines.size(), 9);
    }

    // A message naming a place of 5,000 characters, a few of them long folder names, wraps
    // within a box no wider than the screen, and shows the whole path.
    void longPathReadsWhole() {
        QString place = dir.path();
        while (place.size() < 5000)
            place += QStringLiteral("/%1").arg(QString(place.size() % 3 ? 20 : 200, u'x'));
        window = std::make_unique<frmJusho>(DataFileLocation{place + "/Tovrin.txt"});
        window->show();
        ShownMessage shown = press("cmdOpen");
        QVERIFY(shown.text.remove(QChar(0x200B)).contains(QDir::toNativeSeparators(place)));
        QVERIFY2(shown.size.width() <= window->screen()->availableGeometry().width(),
                 qPrintable(QString::number(shown.size.width())));
    }

    // Register shows the one registration window, modal over this one, at every press; 終了
    // ends the program.
    void registerAndExit() {
        QWidget *registration = press("cmdToroku").window;
        QVERIFY(registration && registration->parentWidget() == window.get());
        QCOMPARE(press("cmdToroku").window, registration);
        QTest::mouseClick(find("cmdShuryo"), Qt::LeftButton);
        QTRY_VERIFY(!window->isVisible());
    }
};

QTEST_MAIN(TestFrmJusho)
#include "tst_frm_jusho.moc"
