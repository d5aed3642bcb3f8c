// The road a new user takes: Register, type a person, Add, Exit, Open, choose the name.
#include "frm_jusho.h"
#include "window_look.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestRegisterRoad : public QObject {
    Q_OBJECT
private slots:
    void addedPersonIsListedAtTheNextOpen();
};

void TestRegisterRoad::addedPersonIsListedAtTheNextOpen() {
    applyJapaneseFonts(*qApp);
    QTemporaryDir home;
    // The program's own folder does not exist yet: the first Add makes it.
    const QString path = home.filePath(QStringLiteral("Pellinova/Tovrin.txt"));
    frmJusho window(DataFileLocation{path, FolderCreation::CreateOwnFolder});
    QList<Notice> notices;
    window.setNotifier([&](const Notice &notice) { notices.append(notice); });
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    bool registered = false;
    QTimer poll; // fills in the registration window once it is up, then leaves it with 終了
    connect(&poll, &QTimer::timeout, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        poll.stop();
        dialog->findChild<QLineEdit *>("txtShimei")->setText(QStringLiteral("山田太郎"));
        dialog->findChild<QComboBox *>("cboPhone_0")->setCurrentIndex(0);
        dialog->findChild<QLineEdit *>("txtPhone_0")->setText(QStringLiteral("03-1111-2222"));
        dialog->findChild<QListWidget *>("lstOS")->setCurrentRow(2);
        QTest::mouseClick(dialog->findChild<QPushButton *>("OKButton"), Qt::LeftButton);
        registered = true;
        QTest::mouseClick(dialog->findChild<QPushButton *>("cmdShuryo"), Qt::LeftButton);
    });
    poll.start(0);
    QTest::mouseClick(window.findChild<QPushButton *>("cmdToroku"), Qt::LeftButton);
    QVERIFY(registered);

    auto *names = window.findChild<QComboBox *>("cboShimei");
    QCOMPARE(names->count(), 0); // nothing is listed until the next Open
    QTest::mouseClick(window.findChild<QPushButton *>("cmdOpen"), Qt::LeftButton);
    QVERIFY(notices.isEmpty());
    QCOMPARE(names->count(), 2);
    QCOMPARE(names->itemText(0), QString());
    QCOMPARE(names->itemText(1), QStringLiteral("山田太郎"));

    QTest::keyClick(names, Qt::Key_Down);
    QTest::keyClick(names, Qt::Key_Down);
    QCOMPARE(window.findChild<QPlainTextEdit *>("txtJoho")->toPlainText(),
             QStringLiteral("\n自宅;03-1111-2222\n;\n;\n;\n家　　族\n"
                            "・・・・・・・・・・補足情報・・・・・・・・・・・・\n\n"));
}

QTEST_MAIN(TestRegisterRoad)
#include "tst_register_road.moc"
