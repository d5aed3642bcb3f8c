// Shows the registration window as it opens (with --sample, with an entry typed in) and
// prints one line once it has been painted, for the screenshot script beside it.
#include "data_file_location.h"
#include "frm_toroku.h"
#include "window_look.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>

namespace {

void typeSample(frmToroku &window) {
    auto edit = [&](const char *name) { return window.findChild<QLineEdit *>(name); };
    edit("txtShimei")->setText(QStringLiteral("山田　太郎"));
    edit("txtJusho")->setText(QStringLiteral("東京都千代田区丸の内１－２－３　ペリノバビル４階"));
    window.findChild<QComboBox *>("cboPhone_0")->setCurrentIndex(0);
    edit("txtPhone_0")->setText(QStringLiteral("03-1234-5678"));
    window.findChild<QComboBox *>("cboPhone_1")->setCurrentIndex(1);
    edit("txtPhone_1")->setText(QStringLiteral("090-8765-4321"));
    window.findChild<QComboBox *>("cboPhone_2")->setEditText(QStringLiteral("Skype"));
    edit("txtPhone_2")->setText(QStringLiteral("yamada.taro（仕事用）"));
    window.findChild<QListWidget *>("lstOS")->setCurrentRow(1);
    window.findChild<QPlainTextEdit *>("Text1")->appendPlainText(
        QStringLiteral("大学の同期。誕生日は５月１２日、gypsy jazz が好き。"));
}

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, [] {
                std::puts("painted");
                std::fflush(stdout);
            });
        }
        return false;
    }

private:
    bool m_seen = false;
};

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    applyJapaneseFonts(app);
    frmToroku window(jushoDataFileLocation());
    window.move(0, 0);
    window.Form_Load();
    if (app.arguments().contains(QStringLiteral("--sample")))
        typeSample(window);
    FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    return window.exec();
}
