#include "frm_toroku.h"
#include "toroku_items.h"
#include "toroku_test_support.h"
#include "window_look.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <memory>

namespace {

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString shiftJisFile(const QString &path) {
    QStringDecoder decoder("Shift_JIS");
    return decoder(fileBytes(path));
}

QString fileLine(const QStringList &fields) {
    return QLatin1Char('"') + fields.join(QStringLiteral("\",\"")) + QStringLiteral("\"\r\n");
}

const QString kGuide = kNotesGuide.toString();

} // namespace

class TorokuWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<frmToroku> m_window;

    QString dataPath() const { return m_dir->filePath(QStringLiteral("Tovrin.txt")); }

    void openWindow(const QString &path) {
        m_window = std::make_unique<frmToroku>(DataFileLocation{path, FolderCreation::MustExist});
        m_window->Form_Load();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    template <typename Control> Control *get(const QString &name) const {
        return control<Control>(*m_window, name);
    }
    QLineEdit *edit(const char *name) const { return get<QLineEdit>(QLatin1String(name)); }
    QLineEdit *value(int row) const {
        return get<QLineEdit>(QStringLiteral("txtPhone_%1").arg(row));
    }
    QComboBox *kind(int row) const {
        return get<QComboBox>(QStringLiteral("cboPhone_%1").arg(row));
    }
    QListWidget *categories() const { return get<QListWidget>(QStringLiteral("lstOS")); }
    QPlainTextEdit *notes() const { return get<QPlainTextEdit>(QStringLiteral("Text1")); }
    QPushButton *button(const char *name) const { return get<QPushButton>(QLatin1String(name)); }

    void selectCategory(int row) {
        if (row < 0)
            return;
        QListWidgetItem *item = categories()->item(row);
        categories()->scrollToItem(item);
        QTest::mouseClick(categories()->viewport(), Qt::LeftButton, {},
                          categories()->visualItemRect(item).center());
    }

    // What the window holds, one line per control, for comparing two moments.
    static QString contents(const frmToroku &window) {
        QStringList lines;
        for (const QLineEdit *edit : window.findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly))
            lines << edit->objectName() + QLatin1Char('=') + edit->text();
        for (const QComboBox *combo : window.findChildren<QComboBox *>()) {
            QStringList items;
            for (int i = 0; i < combo->count(); ++i)
                items << combo->itemText(i);
            lines << combo->currentText() + QLatin1Char('|') + items.join(QLatin1Char(','));
        }
        const auto *list = window.findChild<QListWidget *>(QStringLiteral("lstOS"));
        lines << QString::number(list->count()) << QString::number(list->selectedItems().size());
        lines << window.findChild<QPlainTextEdit *>()->toPlainText();
        return lines.join(QLatin1Char('\n'));
    }

private slots:
    void initTestCase() { applyJapaneseFonts(*qApp); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        openWindow(dataPath());
    }

    void cleanup() {
        m_window.reset();
        m_dir.reset();
    }

    void opensWithInitialLayout() {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Pellinova Ver1.21　登録ウィンドウ"));
        QCOMPARE(edit("txtShimei")->text(), QString());
        QCOMPARE(edit("txtJusho")->text(), QString());
        for (int row = 0; row <= 3; ++row) {
            QCOMPARE(value(row)->text(), QString());
            QCOMPARE(kind(row)->currentText(), QString());
            QCOMPARE(kind(row)->count(), 7);
            for (int i = 0; i < 7; ++i)
                QCOMPARE(kind(row)->itemText(i), kContactKinds[i]);
        }
        QCOMPARE(categories()->count(), 7);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(categories()->item(i)->text(), kCategories[i]);
        QVERIFY(categories()->selectedItems().isEmpty());
        QCOMPARE(notes()->toPlainText(), QString(kGuide).remove(QLatin1Char('\r')));
        QCOMPARE(kind(2)->accessibleName(), QStringLiteral("各アドレス3の種類"));
        QCOMPARE(value(2)->accessibleName(), QStringLiteral("各アドレス3"));

        const QStringList tabOrder{"txtPhone_0", "txtPhone_1",   "txtPhone_2", "txtPhone_3",
                                   "cboPhone_0", "cboPhone_1",   "cboPhone_2", "cboPhone_3",
                                   "Text1",      "txtJusho",     "txtShimei",  "lstOS",
                                   "OKButton",   "CancelButton", "cmdShuryo",  "Command1",
                                   "Command2",   "Command3",     "txtPhone_0"};
        for (const QString &name : tabOrder) {
            QWidget *focus = QApplication::focusWidget();
            QCOMPARE(focus->objectName(), name);
            QVERIFY(!focus->accessibleName().isEmpty());
            QTest::keyClick(focus, Qt::Key_Tab);
        }
    }

    void addWithNothingTyped() {
        QCOMPARE(clickAndReadMessage(button("OKButton")), QString());
        const QByteArray dot = QByteArray::fromHex("8145"); // "・" in Shift-JIS
        const QByteArray guide =
            dot.repeated(10) + QByteArray::fromHex("95e291ab8fee95f1") + dot.repeated(12) + "\r\n";
        QCOMPARE(fileBytes(dataPath()),
                 "\"\",\"\",\";\",\";\",\";\",\";\",\"\",\"" + guide + "\"\r\n");
    }

    void addAppendsTheFieldsTwice_data() {
        QTest::addColumn<int>("pickedKind");
        QTest::addColumn<QString>("typedKind");
        QTest::addColumn<QString>("phone");
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("typedNotes");
        QTest::addColumn<QStringList>("fields");
        const QString guide = kGuide;
        const QString none;
        QTest::newRow("kind picked")
            << 1 << none << QStringLiteral("090-1234-5678") << 0 << none
            << QStringList{"山田", "", ";", "携帯/PHS;090-1234-5678", ";", ";", "友　　人", guide};
        QTest::newRow("prefix of an item typed")
            << -1 << QStringLiteral("ic") << QStringLiteral("12345") << 6 << none
            << QStringList{"山田", "", ";", "ic;12345", ";", ";", "その他", guide};
        QTest::newRow("value without kind, no category")
            << -1 << none << QStringLiteral("03") << -1 << QStringLiteral("一行目\n二行目")
            << QStringList{"山田", "", ";", ";03", ";", ";", "", "一行目\r\n二行目"};
    }
    void addAppendsTheFieldsTwice() {
        QFETCH(int, pickedKind);
        QFETCH(QString, typedKind);
        QFETCH(QString, phone);
        QFETCH(int, category);
        QFETCH(QString, typedNotes);
        QFETCH(QStringList, fields);

        edit("txtShimei")->setText(QStringLiteral("山田"));
        if (pickedKind >= 0)
            kind(1)->setCurrentIndex(pickedKind);
        kind(1)->setFocus(); // completion only happens in the focused box
        QTest::keyClicks(kind(1), typedKind);
        value(1)->setText(phone);
        selectCategory(category);
        if (!typedNotes.isNull())
            notes()->setPlainText(typedNotes);

        QCOMPARE(clickAndReadMessage(button("OKButton")), QString());
        QCOMPARE(clickAndReadMessage(button("OKButton")), QString());
        QCOMPARE(shiftJisFile(dataPath()), fileLine(fields).repeated(2));
        QCOMPARE(edit("txtShimei")->text(), QStringLiteral("山田"));
        QCOMPARE(kind(1)->count(), 7);
        QCOMPARE(categories()->selectedItems().size(), category >= 0 ? 1 : 0);
    }

    void clearKeepsKindsAndCategory() {
        edit("txtShimei")->setText(QStringLiteral("山田"));
        edit("txtJusho")->setText(QStringLiteral("東京"));
        kind(0)->setCurrentIndex(0);
        value(0)->setText(QStringLiteral("03"));
        value(3)->setText(QStringLiteral("x"));
        selectCategory(2);
        QTest::mouseClick(button("CancelButton"), Qt::LeftButton);

        for (const char *name : {"txtShimei", "txtJusho", "txtPhone_0", "txtPhone_3"})
            QCOMPARE(edit(name)->text(), QString());
        QCOMPARE(notes()->toPlainText(), QString());
        QCOMPARE(clickAndReadMessage(button("OKButton")), QString());
        QCOMPARE(shiftJisFile(dataPath()),
                 fileLine({"", "", "自宅;", ";", ";", ";", "家　　族", ""}));
    }

    void enterAndEscapePressNothing() {
        for (const QPushButton *pushButton : m_window->findChildren<QPushButton *>()) {
            QVERIFY(!pushButton->isDefault());
            QVERIFY(!pushButton->autoDefault());
        }
        kind(0)->lineEdit()->insert(QStringLiteral("自宅外"));
        const QList<QWidget *> targets{value(0), kind(0), button("OKButton")};
        for (QWidget *target : targets) {
            target->setFocus();
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QCOMPARE(messageDuring([&] { QTest::keyClick(target, key); }), QString());
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
        QTest::newRow("double quote")
            << QStringLiteral("山田\"太郎\"") << QString() << 1 << QString();
        QTest::newRow("emoji") << name << QStringLiteral("東京😀") << 1 << QString();
        QTest::newRow("full address book") << name << QString() << 100 << QString();
        QTest::newRow("folder missing") << name << QString() << 0 << QStringLiteral("missing");
    }
    void refusalKeepsFieldsAndFile() {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(int, existingRecords);
        QFETCH(QString, folder);

        const QString path =
            folder.isEmpty() ? dataPath() : m_dir->filePath(folder + QStringLiteral("/Tovrin.txt"));
        if (existingRecords > 0) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("\"r\",\"\",\";\",\";\",\";\",\";\",\"\",\"\"\r\n")
                           .repeated(existingRecords));
        }
        const QByteArray before = fileBytes(path);
        openWindow(path);
        edit("txtShimei")->setText(name);
        edit("txtJusho")->setText(address);
        value(0)->setText(QStringLiteral("03"));
        selectCategory(3);
        const QString typed = contents(*m_window);

        QVERIFY(!clickAndReadMessage(button("OKButton")).isEmpty());
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(QFile::exists(path), existingRecords > 0);
        QCOMPARE(contents(*m_window), typed);
        QCOMPARE(categories()->selectedItems().value(0), categories()->item(3));
        QVERIFY(m_window->isVisible());
    }

    void everyOpeningStartsAfresh() {
        m_window->hide();
        frmToroku window(DataFileLocation{dataPath(), FolderCreation::MustExist});
        QStringList openings;
        for (int round = 0; round < 2; ++round) {
            QTimer::singleShot(0, &window, [&] {
                openings << window.focusWidget()->objectName() + contents(window);
                control<QLineEdit>(window, QStringLiteral("txtShimei"))->setText("山田");
                control<QComboBox>(window, QStringLiteral("cboPhone_2"))->setCurrentIndex(4);
                control<QListWidget>(window, QStringLiteral("lstOS"))->setCurrentRow(1);
                control<QPlainTextEdit>(window, QStringLiteral("Text1"))->setPlainText("x");
                QTest::mouseClick(control<QPushButton>(window, QStringLiteral("cmdShuryo")),
                                  Qt::LeftButton);
            });
            window.showModally();
            QVERIFY(!window.isVisible());
        }
        QCOMPARE(openings.size(), 2);
        QCOMPARE(openings[1], openings[0]);
        QCOMPARE(openings[0], "txtPhone_0" + contents(*m_window)); // fresh from Form_Load
        QVERIFY(!QFile::exists(dataPath()));
    }
};

QTEST_MAIN(TorokuWindowTest)
#include "tst_frm_toroku.moc"
