// The least a Qt Widgets program with the address list window's kinds of controls costs to
// start: the yardstick the real program's start-up is measured against.
//
// Switches, for finding where the program's own start-up goes (unset means off):
//   BENCH_FLOOR_FONTS=1         set the Japanese font family list as the application font
//   BENCH_FLOOR_TRANSLATIONS=1  load and install Qt's Japanese translations
//   BENCH_FLOOR_STYLESHEETS=1   draw the buttons flat through style sheets
//   BENCH_FLOOR_NO_BANNER=1     leave the banner out (no JPEG decode)
//   BENCH_FLOOR_ASCII=1         ASCII texts only, so no CJK font is ever looked up
//   BENCH_FLOOR_NO_CONTROLS=1   the bare window with its banner: what the controls cost
//   BENCH_FLOOR_ICONS_UP_TO=N   give the window every icon picture in the resources up to
//                               N pixels wide, not only the 32 px one
//   BENCH_FLOOR_MISSING_FONT=1  ask for an uninstalled family first in the yellow label

#include "version.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFont>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTranslator>
#include <QWidget>

namespace {

bool switchedOn(const char *name) {
    return qEnvironmentVariableIntValue(name) != 0;
}

QString text(const char *japanese, const char *ascii) {
    return switchedOn("BENCH_FLOOR_ASCII") ? QString::fromLatin1(ascii)
                                           : QString::fromUtf8(japanese);
}

void useJapaneseFonts(QApplication &app) {
    QFont font = app.font();
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAexGothic"),
                      QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic")});
    font.setPointSizeF(9.0);
    app.setFont(font);
}

void installJapaneseTranslations(QApplication &app) {
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    }
}

QPushButton *button(const QString &caption, QWidget *parent) {
    auto *result = new QPushButton(caption, parent);
    if (switchedOn("BENCH_FLOOR_STYLESHEETS")) {
        result->setStyleSheet(QStringLiteral("QPushButton { background-color: #e0e0e0;"
                                             " color: black; border: 1px solid #404040; }"
                                             "QPushButton:focus { border: 2px solid #000080; }"
                                             "QPushButton:pressed { background-color: #b3b3b3; }"));
    }
    return result;
}

// The window manager gets every size the icon has, each decoded before the window is mapped.
QIcon iconsUpTo(int largest) {
    QIcon icon;
    const QDir folder(QStringLiteral(":/pellinova"));
    for (const QString &name : folder.entryList({QStringLiteral("icon*.png")})) {
        const QString path = folder.filePath(name);
        if (QImageReader(path).size().width() <= largest) {
            icon.addFile(path);
        }
    }
    return icon;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (switchedOn("BENCH_FLOOR_FONTS")) {
        useJapaneseFonts(app);
    }
    if (switchedOn("BENCH_FLOOR_TRANSLATIONS")) {
        installJapaneseTranslations(app);
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral(PELLINOVA_CAPTION));
    window.setFixedSize(527, 367);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, Qt::black);
    window.setPalette(palette);
    window.setAutoFillBackground(true);

    const QIcon icon(QStringLiteral(":/pellinova/icon.png"));
    const int largestIcon = qEnvironmentVariableIntValue("BENCH_FLOOR_ICONS_UP_TO");
    window.setWindowIcon(largestIcon > 0 ? iconsUpTo(largestIcon) : icon);

    if (!switchedOn("BENCH_FLOOR_NO_BANNER")) {
        auto *banner = new QLabel(&window);
        banner->setPixmap(QPixmap(QStringLiteral(":/pellinova/banner.jpg")));
        banner->setGeometry(0, 0, 326, 103);
    }

    if (switchedOn("BENCH_FLOOR_NO_CONTROLS")) {
        window.show();
        return app.exec();
    }

    auto *details = new QPlainTextEdit(text("情報の表示\r\n", "Details\r\n"), &window);
    details->setLineWrapMode(QPlainTextEdit::NoWrap);
    details->setGeometry(32, 152, 369, 209);

    auto *names = new QComboBox(&window);
    names->setEditable(true);
    names->setEditText(text("氏名orハンドルネーム", "Name or handle"));
    names->setGeometry(256, 128, 145, 20);

    const char *const captions[][2] = {{"開く", "Open"}, {"終了", "Exit"}, {"登録", "Register"}};
    int top = 272;
    for (const auto &caption : captions) {
        button(text(caption[0], caption[1]), &window)->setGeometry(416, top, 97, 25);
        top += 32;
    }

    auto *notice = new QLabel(text("入力は登録ボタンから", "Register to add"), &window);
    QPalette yellow = notice->palette();
    yellow.setColor(QPalette::WindowText, Qt::yellow);
    notice->setPalette(yellow);
    if (switchedOn("BENCH_FLOOR_MISSING_FONT")) {
        QFont font = notice->font();
        font.setFamilies(
            {QStringLiteral("Abadi MT Condensed Light"), QStringLiteral("Noto Sans CJK JP")});
        font.setPointSizeF(8.25);
        font.setWeight(QFont::Light);
        notice->setFont(font);
    }
    notice->setGeometry(32, 136, 218, 14);

    auto *picture = new QLabel(&window);
    picture->setPixmap(icon.pixmap(32, 32));
    picture->setGeometry(8, 96, 32, 32);

    details->setFocus();
    window.show();
    return app.exec();
}
