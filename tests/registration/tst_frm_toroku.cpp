#include "frm_toroku.h"
#include "test_support.h"
#include "window_look.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kGuide = QStringLiteral("・・・・・・・・・・補足情報・・・・・・・・・・・・\r\n");

QString fileLine(const QStringList &fields) {
    return u'"' + fields.join(QStringLiteral("\",\"")) + QStringLiteral("\"\r\n");
}

QStringList itemsOf(const QAbstractItemModel *model) {
    QStringList items;
    for (int i = 0; i < model->rowCount(); ++i)
        items << model->index(i, 0).data().toString();
    return items;
}

// What the window holds, one line per control, for comparing two moments.
QString contents(const QWidget &window) {
    QStringList lines;
    for (const QLineEdit *edit : window.findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly))
        lines << edit->objectName() + u'=' + edit->text();
    for (const QComboBox *combo : window.findChildren<QComboBox *>())
        lines << combo->currentText() + u'|' + itemsOf(combo->model()).join(u',');
    const auto *list = window.findChild<QListWidget *>(QStringLiteral("lstOS"));
    lines << QString::number(list->count());
    for (const QListWidgetItem *item : list->selectedItems())
        lines << item->text();
    lines << window.findChild<QPlainTextEdit *>()->toPlainText();
    return lines.join(u'\n');
}

} // namespace

class TestFrmToroku : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmToroku> m_window;

    QString dataPath() const { return m_dir->filePath(QStringLiteral("Tovrin.txt")); }
    QString stored() const { return QStringDecoder("windows-31j")(fileBytes(dataPath())); }

    void openWindow(const QString &path) {
        m_window = std::make_unique<frmToroku>(DataFileLocation{path, FolderCreation::MustExist});
        m_window->Form_Load();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    template <typename Control = QLineEdit> Control *get(const QString &name) const {
        return child<Control>(*m_window, name);
    }
    QLineEdit *value(int row) const { return get(QStringLiteral("txtPhone_%1").arg(row)); }
    QComboBox *kind(int row) const {
        return get<QComboBox>(QStringLiteral("cboPhone_%1").arg(row));
    }
    QListWidget *categories() const { return get<QListWidget>("lstOS"); }
    QPlainTextEdit *notes() const { return get<QPlainTextEdit>("Text1"); }
    QString press(const char *button) const {
        QPushButton *pushed = get<QPushButton>(QLatin1String(button));
        return messagesDuring([pushed] { QTest::mouseClick(pushed, Qt::LeftButton); }).text;
    }

    void checkInitialState() {
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Pellinova Ver1.21　登録ウィンドウ"));
        QCOMPARE(get("txtShimei")->text(), QString());
        QCOMPARE(get("txtJusho")->text(), QString());
        const QStringList kinds{"自宅",           "携帯/PHS",     "会社", "ホームページ",
                                "メールアドレス", "ページャーID", "ICQ"};
        for (int row = 0; row <= 3; ++row) {
            QCOMPARE(value(row)->text(), QString());
            QCOMPARE(kind(row)->currentText(), QString());
            QCOMPARE(itemsOf(kind(row)->model()), kinds);
        }
        QCOMPARE(itemsOf(categories()->model()),
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
            QVERIFY(!focus->accessibleName().isEmpty());
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

    // Each opening starts afresh, whatever the one before left typed and chosen.
    void everyOpeningStartsAfresh() {
        m_window->hide();
        int openings = 0;
        for (int round = 0; round < 2; ++round) {
            QTimer::singleShot(0, m_window.get(), [&] {
                const auto exit = qScopeGuard([&] { press("cmdShuryo"); });
                ++openings;
                checkInitialState();
                get("txtShimei")->setText("山田");
                kind(2)->setCurrentIndex(4);
                categories()->setCurrentRow(1);
                value(3)->setText("x");
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
        QTest::addColumn<int>("pickedKind");
        QTest::addColumn<QString>("typedKind");
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("typedNotes");
        QTest::addColumn<bool>("clear");
        QTest::addColumn<QStringList>("fields");
        const QString none;
        QTest::newRow("kind picked")
            << 1 << none << 0 << none << false
            << QStringList{"山田", "", ";", "携帯/PHS;0901", ";", ";x", "友　　人", kGuide};
        QTest::newRow("prefix of an item typed")
            << -1 << QStringLiteral("ic") << 6 << none << false
            << QStringList{"山田", "", ";", "ic;0901", ";", ";x", "その他", kGuide};
        QTest::newRow("value without kind, no category")
            << -1 << none << -1 << QStringLiteral("\n一行目\n\n二行目") << false
            << QStringList{"山田", "", ";", ";0901", ";", ";x", "", "\r\n一行目\r\n\r\n二行目"};
        QTest::newRow("after Clear") << 2 << none << 2 << none << true
                                     << QStringList{"", "", ";", "会社;", ";", ";", "家　　族", ""};
    }
    void add() {
        QFETCH(int, pickedKind);
        QFETCH(QString, typedKind);
        QFETCH(int, category);
        QFETCH(QString, typedNotes);
        QFETCH(bool, clear);
        QFETCH(QStringList, fields);
        QLineEdit *name = get("txtShimei");
        name->setText(QStringLiteral("山田"));
        get("txtJusho")->setText(clear ? "東京" : "");
        kind(1)->setCurrentIndex(pickedKind);
        kind(1)->setFocus(); // completion only happens in the focused box
        QTest::keyClicks(kind(1), typedKind);
        value(1)->setText(QStringLiteral("0901"));
        value(3)->setText(QStringLiteral("x"));
        categories()->setCurrentRow(category);
        if (!typedNotes.isNull())
            notes()->setPlainText(typedNotes);
        if (clear)
            QCOMPARE(press("CancelButton"), QString());

        QCOMPARE(press("OKButton"), QString());
        QCOMPARE(press("OKButton"), QString());
        QCOMPARE(stored(), fileLine(fields).repeated(2));
        QCOMPARE(name->text(), fields.first());
        QCOMPARE(kind(1)->count(), 7);
        QCOMPARE(categories()->selectedItems().size(), category >= 0 ? 1 : 0);
    }

    void enterAndEscapePressNothing() {
        kind(0)->lineEdit()->insert(QStringLiteral("自宅外"));
        const QList<QWidget *> targets{value(0), kind(0), get<QPushButton>("OKButton")};
        for (QWidget *target : targets) {
            target->setFocus();
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                QCOMPARE(messagesDuring([&] { QTest::keyClick(target, key); }).count, 0);
            }
        }
        QVERIFY(m_window->isVisible());
        QVERIFY(!QFile::exists(dataPath()));
        QCOMPARE(kind(0)->count(), 7);
        QCOMPARE(kind(0)->currentText(), QStringLiteral("自宅外"));
    }

    void refusalKeepsFieldsAndFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("existingRecords");
        QTest::addColumn<QString>("folder");
        const QString name = QStringLiteral("山田");
        QTest::newRow("double quote") << "山田\"太郎\"" << QString() << 1 << QString();
        QTest::newRow("emoji") << name << "東京😀" << 1 << QString();
        QTest::newRow("full address book") << name << QString() << 100 << QString();
        QTest::newRow("folder missing") << name << QString() << 0 << "missing/";
    }
    void refusalKeepsFieldsAndFile() {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(int, existingRecords);
        QFETCH(QString, folder);
        const QString path = m_dir->filePath(folder + QStringLiteral("Tovrin.txt"));
        if (existingRecords > 0) {
            QVERIFY(writeFile(
                path,
                shiftJisLines({{"r", "", ";", ";", ";", ";", "", ""}}).repeated(existingRecords)));
        }
        const QByteArray before = fileBytes(path);
        openWindow(path);
        get("txtShimei")->setText(name);
        get("txtJusho")->setText(address);
        value(0)->setText(QStringLiteral("03"));
        categories()->setCurrentRow(3);
        const QString typed = contents(*m_window);

        QVERIFY(!press("OKButton").isEmpty());
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(contents(*m_window), typed);
        QCOMPARE(categories()->selectedItems().value(0), categories()->item(3));
        QVERIFY(m_window->isVisible());
    }
};

QTEST_MAIN(TestFrmToroku)
#include "tst_frm_toroku.moc"
