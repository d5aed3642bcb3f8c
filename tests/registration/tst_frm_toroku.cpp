#include "frm_toroku.h"
#include "test_support.h"
#include "window_look.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

static const QString kGuide =
    QStringLiteral("・・・・・・・・・・補足情報・・・・・・・・・・・・\r\n");

// The person already in the book of the rows that ask about it.
static const QStringList kFirst{"人", "", ";", ";", ";", ";", "", ""};

using Typing = std::function<void()>; // what a row types before Add
Q_DECLARE_METATYPE(Typing)

class TestFrmToroku : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmToroku> m_window;

    QString dataPath() const { return m_dir->filePath(QStringLiteral("Tovrin.txt")); }

    void openWindow(const QString &path, const LauncherTable &launchers = defaultLaunchers()) {
        m_window = std::make_unique<frmToroku>(DataFileLocation{path, FolderCreation::MustExist},
                                               nullptr, launchers);
        m_window->Form_Load();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    template <typename Control = QLineEdit> Control *get(const QString &name) const {
        return child<Control>(*m_window, name);
    }
    QLineEdit *value(int row) const { return get("txtPhone_" + QString::number(row)); }
    QComboBox *kind(int row) const { return get<QComboBox>("cboPhone_" + QString::number(row)); }
    QListWidget *categories() const { return get<QListWidget>("lstOS"); }
    QPlainTextEdit *notes() const { return get<QPlainTextEdit>("Text1"); }
    ShownMessage press(const QString &button, Answer answer = {}) const {
        QPushButton *pushed = get<QPushButton>(button);
        return messagesDuring([pushed] { QTest::mouseClick(pushed, Qt::LeftButton); }, answer);
    }

private slots:
    void initTestCase() { applyJapaneseFonts(*qApp); }

    void init() {
        m_window.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        openWindow(dataPath());
    }

    // Each opening starts afresh, whatever the one before left typed and chosen: nothing typed
    // (nor anything to undo), seven kinds in each kind box and seven categories with none
    // chosen, the notes as the first opening showed them, and the focus walking the tab order
    // from the first contact value. Enter and Esc press no button.
    void everyOpeningStartsAfresh() {
        m_window->hide();
        const QString notesAtFirst = notes()->toPlainText();
        int openings = 0;
        for (int round = 0; round < 2; ++round) {
            QTimer::singleShot(0, m_window.get(), [&] {
                const auto exit = qScopeGuard([&] { press("cmdShuryo"); });
                ++openings;
                for (QLineEdit *field :
                     {get("txtShimei"), get("txtJusho"), value(0), value(1), value(2), value(3)})
                    QVERIFY(field->text().isEmpty() && !field->isUndoAvailable());
                for (int row = 0; row < kContactRows; ++row)
                    QVERIFY(kind(row)->currentText().isEmpty() && kind(row)->count() == 7);
                QCOMPARE(categories()->count(), 7);
                QVERIFY(categories()->selectedItems().isEmpty());
                QCOMPARE(notes()->toPlainText(), notesAtFirst);
                for (const char *name :
                     {"txtPhone_0", "txtPhone_1", "txtPhone_2", "txtPhone_3", "cboPhone_0",
                      "cboPhone_1", "cboPhone_2", "cboPhone_3", "Text1", "txtJusho", "txtShimei",
                      "lstOS", "OKButton", "CancelButton", "cmdShuryo", "Command1", "Command2",
                      "Command3", "txtPhone_0"}) {
                    QCOMPARE(m_window->focusWidget()->objectName(), QLatin1String(name));
                    QTest::keyClick(m_window->focusWidget(), Qt::Key_Tab);
                }
                kind(0)->lineEdit()->insert(QStringLiteral("自宅外"));
                for (QWidget *target : QWidgetList{value(0), kind(0), get<QWidget>("OKButton")}) {
                    target->setFocus();
                    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                        QCOMPARE(messagesDuring([&] { QTest::keyClick(target, key); }).count, 0);
                }
                QVERIFY(m_window->isVisible());
                QCOMPARE(kind(0)->currentText(), QStringLiteral("自宅外"));
                get("txtShimei")->insert("山田");
                kind(2)->setCurrentIndex(4);
                categories()->setCurrentRow(1);
                value(3)->insert("x");
                notes()->setPlainText("x");
            });
            m_window->showModally();
            QVERIFY(!m_window->isVisible());
        }
        QCOMPARE(openings, 2);
        QVERIFY(!QFile::exists(dataPath()));
    }

    // Add writes the fields as they stand and leaves them so: a second press adds the same line.
    void add_data() {
        QTest::addColumn<Typing>("typing");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("nothing typed") << Typing([this] {
            for (QLineEdit *typed : {get("txtShimei"), value(1), value(3)})
                typed->clear();
        }) << QStringList{"", "", ";", ";", ";", ";", "", kGuide};
        QTest::newRow("kind picked") << Typing([this] {
            kind(1)->setCurrentIndex(1);
            categories()->setCurrentRow(0);
        }) << QStringList{"山田", "", ";", "携帯/PHS;0901", ";", ";x", "友　　人", kGuide};
        QTest::newRow("prefix of an item typed") << Typing([this] {
            QTest::keyClicks(kind(1), "ic"); // completion would happen here
            categories()->setCurrentRow(6);
        }) << QStringList{"山田", "", ";", "ic;0901", ";", ";x", "その他", kGuide};
        QTest::newRow("value without kind, no category")
            << Typing([this] { notes()->setPlainText("\n一行目\n\n二行目"); })
            << QStringList{"山田", "", ";", ";0901", ";", ";x", "", "\r\n一行目\r\n\r\n二行目"};
        QTest::newRow("after Clear") << Typing([this] {
            get("txtJusho")->setText("東京");
            kind(1)->setCurrentIndex(2);
            categories()->setCurrentRow(2);
            QCOMPARE(press("CancelButton").count, 0);
        }) << QStringList{"", "", ";", "会社;", ";", ";", "家　　族", ""};
    }
    void add() {
        QFETCH(Typing, typing);
        QFETCH(QStringList, fields);
        get("txtShimei")->setText(QStringLiteral("山田"));
        value(1)->setText(QStringLiteral("0901"));
        value(3)->setText(QStringLiteral("x"));
        kind(1)->setFocus();
        typing();
        QCOMPARE(press("OKButton").count + press("OKButton").count, 0);
        QCOMPARE(fileBytes(dataPath()), shiftJisLines({fields}).repeated(2));
        QCOMPARE(get("txtShimei")->text(), fields.first());
        QCOMPARE(kind(1)->count(), 7);
        QCOMPARE(categories()->selectedItems().size(), fields[6].isEmpty() ? 0 : 1);
    }

    // What Add cannot simply write reaches the user over the window, which keeps every field
    // and the choice: a refusal names the field and the character and writes nothing; a
    // cut-off last record, or a book saved as UTF-8, is asked about, and only はい (Y) sets it
    // aside and adds the person. The buttons say はい and いいえ, with the keys that answer
    // them, with no translation of Qt installed.
    void addNeedsTheUser_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("address");
        QTest::addColumn<Qt::Key>("key");         // that answers every question
        QTest::addColumn<QStringList>("buttons"); // of every message box, sorted
        QTest::addColumn<QString>("seen");        // in the last message
        QTest::addColumn<QString>("aside");       // the file set aside, if any
        const QByteArray book = shiftJisLines({kFirst});
        const QStringList asked{"いいえ(&N)", "はい(&Y)"};
        QTest::newRow("refused") << book << "東京😀" << Qt::Key_Y << QStringList{"OK"}
                                 << "「住所」の文字「😀」（U+1F600）"
                                 << "";
        QTest::newRow("cut-off record, N") << book + "\"cut"
                                           << "東京" << Qt::Key_N << asked << "最後の記録（2件目）"
                                           << "";
        QTest::newRow("cut-off record, Y")
            << book + "\"cut"
            << "東京" << Qt::Key_Y << QStringList{"OK"} + asked << "Tovrin.txt.broken-"
            << "Tovrin.txt.broken-*";
        QTest::newRow("saved as UTF-8, Y") << utf8Lines({kFirst}) << "東京" << Qt::Key_Y
                                           << QStringList{"OK"} + asked << "Tovrin.txt.utf8-"
                                           << "Tovrin.txt.utf8-*";
    }
    void addNeedsTheUser() {
        QFETCH(QByteArray, before);
        QFETCH(QString, address);
        QFETCH(Qt::Key, key);
        QFETCH(QStringList, buttons);
        QFETCH(QString, seen);
        QFETCH(QString, aside);
        QVERIFY(writeFile(dataPath(), before));
        get("txtShimei")->setText(QStringLiteral("山田"));
        get("txtJusho")->setText(address);
        categories()->setCurrentRow(3);
        ShownMessage shown = press("OKButton", key);

        const bool added = !aside.isEmpty();
        shown.buttons.sort();
        QCOMPARE(shown.buttons, buttons);
        QVERIFY2(shown.text.contains(seen), qPrintable(shown.text));
        const QStringList setAside = QDir(m_dir->path()).entryList({"Tovrin.txt.*"});
        QVERIFY(setAside.size() == int(added) && (!added || QDir::match(aside, setAside.value(0))));
        const QByteArray person =
            shiftJisLines({{"山田", address, ";", ";", ";", ";", "会社関係", kGuide}});
        QCOMPARE(fileBytes(dataPath()), added ? shiftJisLines({kFirst}) + person : before);
        QCOMPARE(get("txtShimei")->text(), QStringLiteral("山田"));
        QCOMPARE(get("txtJusho")->text(), address);
        QCOMPARE(categories()->selectedItems().value(0), categories()->item(3));
        QVERIFY(m_window->isVisible());
    }

    // Each launch target is a stand-in that logs how many arguments it got and which it is. A
    // press starts its own program once, without waiting; where that is missing, the default
    // mail program (a stand-in registered on Windows) starts instead, and with no default the
    // message names the program. A screen reader is told which will start.
    void launch_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("missing"); // the button's own program
        QTest::addColumn<QStringList>("started");
        QTest::newRow("Command2 twice") << 2 << false << QStringList{"0 2", "0 2"};
        QTest::newRow("Command3 missing twice, then Command2") << 3 << true << QStringList{"0 2"};
#ifdef Q_OS_WIN
        QTest::newRow("Command1 missing: the default mail program, twice")
            << 1 << true << QStringList{"0 4", "0 4"};
#endif
    }
    void launch() {
        QFETCH(int, button);
        QFETCH(bool, missing);
        QFETCH(QStringList, started);
        const QString log = m_dir->filePath(QStringLiteral("started.log"));
        qputenv("PELLINOVA_STAND_IN_LOG", QFile::encodeName(log));
        // "target 1" to "target 4", or "target 1.exe" to "target 4.exe" on Windows
        const QString name =
            QFileInfo(QStringLiteral(STAND_IN)).fileName().replace("stand_in", "target %1");
        QStringList targets;
        for (int i = 1; i <= 4; ++i) {
            targets << QDir::toNativeSeparators(m_dir->filePath(name.arg(i)));
            QVERIFY(QFile::copy(QStringLiteral(STAND_IN), targets.last()));
        }
#ifdef Q_OS_WIN // machine-wide: Wine's classes leave out the user's own
        QSettings mailto(
            QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Classes\\mailto\\shell\\open"),
            QSettings::NativeFormat);
        const QVariant registered = mailto.value("command/Default");
        mailto.setValue("command/Default", u'"' + targets[3] + QStringLiteral("\" %1"));
        mailto.sync();
        const auto restore = qScopeGuard([&] { mailto.setValue("command/Default", registered); });
#endif
        LauncherTable table = defaultLaunchers();
        for (int i = 0; i < 3; ++i)
            table[i].program = targets[i];
        Launcher &pressed = table[button - 1];
        if (missing)
            pressed.program = QDir::toNativeSeparators(m_dir->filePath("no such/program"));
        const bool told = missing && started.first() != QStringLiteral("0 4");
        openWindow(dataPath(), table);
        const QString description =
            get<QPushButton>(QStringLiteral("Command%1").arg(button))->accessibleDescription();
        const QString willStart = missing && !told ? targets[3] : pressed.program;
        QVERIFY2(description.contains(willStart), qPrintable(description));
        for (int i = 0; i < 2; ++i) {
            const ShownMessage shown = press(QStringLiteral("Command%1").arg(button));
            QCOMPARE(shown.text.contains(pressed.program), told);
        }
        if (told) // a start that did happen would have logged by the time a later one has
            QCOMPARE(press("Command2").count, 0);
        QTRY_COMPARE(QString::fromUtf8(fileBytes(log)).split(u'\n', Qt::SkipEmptyParts), started);
    }
};

QTEST_MAIN(TestFrmToroku)
#include "tst_frm_toroku.moc"
