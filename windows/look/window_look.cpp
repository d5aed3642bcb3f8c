#include "window_look.h"

#include "own_size.h"
#include "version.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

QStringList japaneseFontFamilies() {
    return {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAexGothic"),
            QStringLiteral("IPAGothic"),        QStringLiteral("VL Gothic"),
            QStringLiteral("Meiryo UI"),        QStringLiteral("MS UI Gothic"),
            QStringLiteral("MS PGothic")};
}

void applyJapaneseFonts(QApplication &app) {
    QFont font = app.font();
    font.setFamilies(japaneseFontFamilies());
    font.setPointSizeF(9.0); // the size of the classic Japanese dialog font
    app.setFont(font);
}

QIcon programIcon() {
    // The 16-colour 32 px picture is the icon proper; the larger ones keep it sharp in docks,
    // task switchers and on high-DPI screens instead of being blown up from 32 px.
    QIcon icon;
    icon.addFile(QStringLiteral(":/pellinova/icon.png"), QSize(32, 32));
    for (const int size : {48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/pellinova/icon-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

namespace {

QPixmap forDensity(const QWidget *window, const QString &single, const QString &twice) {
    if (window->devicePixelRatioF() <= 1.0)
        return QPixmap(single);
    QPixmap picture(twice);
    picture.setDevicePixelRatio(2.0);
    return picture;
}

} // namespace

QPixmap programIconPicture(const QWidget *window) {
    return forDensity(window, QStringLiteral(":/pellinova/icon.png"),
                      QStringLiteral(":/pellinova/icon-64.png"));
}

QPixmap bannerPixmap(const QWidget *window) {
    return forDensity(window, QStringLiteral(":/pellinova/banner.jpg"),
                      QStringLiteral(":/pellinova/banner@2x.jpg"));
}

void applyWindowLook(QWidget *window, QSize clientSize) {
    // A title, a system menu and a close button (and minimize, but for a dialog): the client
    // area is fixed, so nothing to maximize or make full screen.
    const bool dialog = (window->windowFlags() & Qt::WindowType_Mask) == Qt::Dialog;
    window->setWindowFlags((window->windowFlags() & Qt::WindowType_Mask) | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint |
                           (dialog ? Qt::WindowFlags() : Qt::WindowMinimizeButtonHint));
    window->setFixedSize(clientSize);
    keepOwnSize(window);
    window->setWindowIcon(programIcon());

    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Qt::black);
    window->setPalette(palette);
    window->setAutoFillBackground(true);

    auto *banner = new QLabel(window);
    banner->setObjectName(QStringLiteral("banner"));
    banner->setAccessibleName(QStringLiteral(PELLINOVA_CAPTION)); // what its lettering says
    const QPixmap picture = bannerPixmap(window);
    banner->setPixmap(picture);
    banner->setGeometry(QRect(QPoint(0, 0), picture.deviceIndependentSize().toSize()));
    banner->setAttribute(Qt::WA_TransparentForMouseEvents);
    banner->lower();
}

QLabel *makeLabel(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kLabelText);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
    return label;
}

QPushButton *makeFlatButton(const QString &text, QColor face, QWidget *parent) {
    auto *button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: black;"
                                         " border: 1px solid #404040; }"
                                         "QPushButton:focus { border: 2px solid #000080; }"
                                         "QPushButton:pressed { background-color: %2; }")
                              .arg(face.name(), face.darker(125).name()));
    return button;
}
