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
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

static const QString kGuide =
    QStringLiteral("・・・・・・・・・・補足情報・・・・・・・・・・・・\r\n");

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
    QString press(const QString &button) const {
        QPushButton *pushed = get<QPushButton>(button);
        return messagesDuring([pushed] { QTest::mouseClick(pushed, Qt::LeftButton); }).text;
    }

    void checkInitialState() {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Pellinova Ver1.21　登録ウィンドウ"));
        // Nothing typed in an earlier opening may come back with Ctrl+Z either.
        for (QLineEdit *field : {get("txtShimei"), get("txtJusho")}) {
            QCOMPARE(field->text(), QString());
            QVERIFY(!field->isUndoAvailable());
        }
        const QStringList kinds{"自宅",           "携帯/PHS",     "会社", "ホームページ",
                                "メールアドレス", "ページャーID", "ICQ"};
        for (int row = 0; row <= 3; ++row) {
            QCOMPARE(value(row)->text(), QString());
            QVERIFY(!value(row)->isUndoAvailable());
            QCOMPARE(kind(row)->currentText(), QString());
            QCOMPARE(itemTexts(kind(row)->model()), kinds);
        }
        QCOMPARE(itemTexts(categories()->model()),
                 (QStringList{"友　　人", "知　　人", "家　　族", "会社関係", "メル友", "ネッ友",
                              "その他"}));
        QVERIFY(categories()->selectedItems().isEmpty());
        QCOMPARE(notes()->toPlainText(), QString(kGuide).remove(u'\r'));

        for (const char *name :
             {"txtPhone_0", "txtPhone_1", "txtPhone_2", "txtPhone_3", "cboPhone_0", "cboPhone_1",
              "cboPhone_2", "cboPhone_3", "Text1", "txtJusho", "txtShimei", "lstOS", "OKButton",
              "CancelButton", "cmdShuryo", "Command1", "Command2", "Command3", "txtPhone_0"}) {
            QWidget *focus = m_window->focusWidget();
            QVERIFY(focus);
            QCOMPARE(focus->objectName(), QLatin1String(name));
            QTest::keyClick(focus, Qt::Key_Tab);
        }
    }

private slots:
    void initTestCase() { applyJapaneseFonts(*qApp); }

    void init() {
        m_window.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        openWindow(dataPath());
    }

    // Each opening starts afresh, whatever the one before left typed and chosen; Enter and Esc
    // press no button.
    void everyOpeningStartsAfresh() {
        m_window->hide();
        int openings = 0;
        for (int round = 0; round < 2; ++round) {
            QTimer::singleShot(0, m_window.get(), [&] {
                const auto exit = qScopeGuard([&] { press("cmdShuryo"); });
                ++openings;
                checkInitialState();
                kind(0)->lineEdit()->insert(QStringLiteral("自宅外"));
                for (QWidget *target : QWidgetList{value(0), kind(0), get<QWidget>("OKButton")}) {
                    target->setFocus();
                    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                        QCOMPARE(messagesDuring([&] { QTest::keyClick(target, key); }).count, 0);
                }
                QVERIFY(m_window->isVisible());
                QCOMPARE(kind(0)->count(), 7);
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

    void addWithNothingTyped() {
        QCOMPARE(press("OKButton"), QString());
        const QByteArray dot = QByteArray::fromHex("8145"); // "・"
        const QByteArray guide =
            dot.repeated(10) + QByteArray::fromHex("95e291ab8fee95f1") + dot.repeated(12) + "\r\n";
        QCOMPARE(fileBytes(dataPath()),
                 "\"\",\"\",\";\",\";\",\";\",\";\",\"\",\"" + guide + "\"\r\n");
    }

    // Add writes the fields as they stand and leaves them so: a second press adds the same line.
    void add_data() {
        QTest::addColumn<Typing>("typing");
        QTest::addColumn<QStringList>("fields");
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
            QCOMPARE(press("CancelButton"), QString());
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
        QCOMPARE(press("OKButton"), QString());
        QCOMPARE(press("OKButton"), QString());
        QCOMPARE(fileBytes(dataPath()), shiftJisLines({fields}).repeated(2));
        QCOMPARE(get("txtShimei")->text(), fields.first());
        QCOMPARE(kind(1)->count(), 7);
        QCOMPARE(categories()->selectedItems().size(), fields[6].isEmpty() ? 0 : 1);
    }

    void refusalKeepsFieldsAndFile_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("existingRecords");
        QTest::addColumn<QString>("folder");
        QTest::newRow("double quote") << "東京\"本社\"" << 1 << QString();
        QTest::newRow("emoji") << "東京😀" << 1 << QString();
        QTest::newRow("full address book") << "東京" << 100 << QString();
        QTest::newRow("folder missing") << "東京" << 0 << "missing/";
    }
    void refusalKeepsFieldsAndFile() {
        QFETCH(QString, address);
        QFETCH(int, existingRecords);
        QFETCH(QString, folder);
        const QString path = m_dir->filePath(folder + QStringLiteral("Tovrin.txt"));
        const QStringList record{"r", "", ";", ";", ";", ";", "", ""};
        QVERIFY(!existingRecords ||
                writeFile(path, shiftJisLines({record}).repeated(existingRecords)));
        const QByteArray before = fileBytes(path);
        openWindow(path);
        get("txtShimei")->setText(QStringLiteral("山田"));
        get("txtJusho")->setText(address);
        value(0)->setText(QStringLiteral("03"));
        categories()->setCurrentRow(3);

        QVERIFY(!press("OKButton").isEmpty());
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(get("txtShimei")->text(), QStringLiteral("山田"));
        QCOMPARE(get("txtJusho")->text(), address);
        QCOMPARE(value(0)->text(), QStringLiteral("03"));
        QCOMPARE(categories()->selectedItems().value(0), categories()->item(3));
        QVERIFY(m_window->isVisible());
    }

    // Add on a file whose last record was cut off asks first; はい sets the cut-off part aside.
    void addAfterCutOffRecord_data() {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("はい") << QMessageBox::Yes;
        QTest::newRow("いいえ") << QMessageBox::No;
    }
    void addAfterCutOffRecord() {
        QFETCH(QMessageBox::StandardButton, answer);
        const bool yes = answer == QMessageBox::Yes;
        const QByteArray whole = shiftJisLines({{"r", "", ";", ";", ";", ";", "", ""}});
        QVERIFY(writeFile(dataPath(), whole + "\"cut"));
        get("txtShimei")->setText(QStringLiteral("山田"));
        QPushButton *add = get<QPushButton>("OKButton");
        const ShownMessage shown =
            messagesDuring([add] { QTest::mouseClick(add, Qt::LeftButton); }, answer);

        const QStringList aside = QDir(m_dir->path()).entryList({"Tovrin.txt.broken-*"});
        QCOMPARE(shown.count, yes ? 2 : 1);
        QCOMPARE(aside.size(), yes ? 1 : 0);
        QCOMPARE(fileBytes(dataPath()),
                 yes ? whole + shiftJisLines({{"山田", "", ";", ";", ";", ";", "", kGuide}})
                     : whole + "\"cut");
        QVERIFY(!yes || shown.text.contains(m_dir->filePath(aside.value(0))));
    }

    // Each launch target is a script that logs how many arguments it got and which it is.
    void launch_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("presses");
        QTest::addColumn<bool>("missing");
        QTest::newRow("Command1 once") << 1 << 1 << false;
        QTest::newRow("Command2 twice") << 2 << 2 << false;
        QTest::newRow("Command1 missing") << 1 << 1 << true;
    }
    void launch() {
        QFETCH(int, button);
        QFETCH(int, presses);
        QFETCH(bool, missing);
        const QString log = m_dir->filePath(QStringLiteral("started.log"));
        LauncherTable table = defaultLaunchers();
        for (int i = 0; i < 3; ++i) {
            table[i].program = m_dir->filePath(QStringLiteral("target %1").arg(i + 1));
            const QString script = QStringLiteral("#!/bin/sh\necho \"$# %1\" >> '%2'\n");
            QVERIFY(writeFile(table[i].program, script.arg(i + 1).arg(log).toUtf8()));
            QVERIFY(QFile::setPermissions(table[i].program, QFile::ReadOwner | QFile::ExeOwner));
        }
        if (missing)
            table[0].program = m_dir->filePath(QStringLiteral("no such/mailer"));
        openWindow(dataPath(), table);

        QStringList expected(presses, QStringLiteral("0 %1").arg(button));
        for (int i = 0; i < presses; ++i) {
            const QString message = press(QStringLiteral("Command%1").arg(button));
            QVERIFY2(missing ? message.contains(table[0].program) : message.isEmpty(),
                     qPrintable(message));
        }
        if (missing) { // a start that did happen would have logged by the time a later one has
            QCOMPARE(press("Command3"), QString());
            expected = QStringList{"0 3"};
        }
        QTRY_COMPARE(QString::fromUtf8(fileBytes(log)).split(u'\n', Qt::SkipEmptyParts), expected);
    }
};

QTEST_MAIN(TestFrmToroku)
#include "tst_frm_toroku.moc"
