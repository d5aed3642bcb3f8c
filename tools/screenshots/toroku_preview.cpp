// Shows the registration window as it opens (with --sample, with an entry typed in) and
// prints one line once it has been painted, for the screenshot script beside it.
#include "data_file_location.h"
#include "frm_toroku.h"
#include "window_look.h"

#include <QApplication>
#include <QListWidget>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    applyJapaneseFonts(app);
    frmToroku window(jushoDataFileLocation());
    window.move(0, 0);
    window.Form_Load();
    // Control names, each followed by what is typed into it.
    const QStringList sample{"txtShimei",  "山田　太郎",
                             "txtJusho",   "東京都千代田区丸の内１－２－３　ペリノバビル４階",
                             "cboPhone_0", "自宅",
                             "txtPhone_0", "03-1234-5678",
                             "cboPhone_1", "携帯/PHS",
                             "txtPhone_1", "090-8765-4321",
                             "cboPhone_2", "Skype",
                             "txtPhone_2", "yamada.taro（仕事用）"};
    if (app.arguments().contains(QStringLiteral("--sample"))) {
        for (qsizetype i = 0; i < sample.size(); i += 2) {
            QWidget *control = window.findChild<QWidget *>(sample[i]);
            const QMetaProperty typed = control->metaObject()->userProperty(); // none on a combo
            control->setProperty(typed.isValid() ? typed.name() : "currentText", sample[i + 1]);
        }
        window.findChild<QListWidget *>()->setCurrentRow(1);
        window.findChild<QPlainTextEdit *>()->appendPlainText(
            "大学の同期。誕生日は５月１２日、gypsy jazz が好き。");
    }
    QTimer poll; // once the window is up and active, draws it and says so
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window.isActiveWindow()) {
            poll.stop();
            window.repaint();
            std::puts("painted");
            std::fflush(stdout);
        }
    });
    poll.start(10);
    return window.exec();
}
