#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QApplication;
class QFont;
class QIcon;
class QLabel;
class QPixmap;
class QPushButton;
class QWidget;

// Both windows are laid out in twips; 15 twips make one logical pixel at 96 dpi, and Qt's
// high-DPI scaling takes it from there.
constexpr int twips(int value) {
    return value / 15;
}
constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

inline constexpr QColor kButtonFace{224, 224, 224};
inline constexpr QColor kLaunchButtonFace{255, 224, 192};
inline constexpr QColor kLabelText{255, 255, 0};

// The application's font: Japanese faces first, so that kana and kanji never take
// Chinese glyph shapes whatever the locale.
QStringList japaneseFontFamilies();
void applyJapaneseFonts(QApplication &app);

QIcon programIcon();

// Pictures drawn for the density of the window's screen: from more than one device pixel to
// a logical pixel on, from a picture with twice the pixels; at one, the larger ones are never
// decoded. The icon's own 32 x 32 picture, without the other sizes that programIcon() holds:
QPixmap programIconPicture(const QWidget *window);
QPixmap bannerPixmap(const QWidget *window);

// Black background, the banner unscaled at the top left corner, the program icon, and a
// client area of the given size that the user cannot change.
void applyWindowLook(QWidget *window, QSize clientSize);

// Names a control for tests and screen readers and puts it in its fixed place.
template <typename Control>
Control *placed(Control *control, const QString &objectName, const QString &accessibleName,
                const QRect &geometry) {
    control->setObjectName(objectName);
    control->setAccessibleName(accessibleName);
    control->setGeometry(geometry);
    return control;
}

// A yellow label on a transparent background.
QLabel *makeLabel(const QString &text, QWidget *parent);

// A push button drawn flat in its face colour. It is never a default button.
QPushButton *makeFlatButton(const QString &text, QColor face, QWidget *parent);
