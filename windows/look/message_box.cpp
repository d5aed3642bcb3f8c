#include "message_box.h"

#include "own_size.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QScreen>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// The longest run of characters a message shows with nowhere to break the line: a path with
// a long folder name would otherwise make the box wider than the screen and cut it off.
constexpr int kLongestRun = 40;

// The text with a zero-width space before every character of a run with nowhere to break,
// once it is longer than that, so that every line wraps within the box, as full as it can be,
// and the whole text can be read.
QString breakableEverywhere(const QString &text) {
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    QString shown;
    shown.reserve(text.size() * 2);
    qsizetype from = 0;
    for (qsizetype at = lines.toNextBoundary(); at != -1; at = lines.toNextBoundary()) {
        for (qsizetype i = from; i < at; ++i) {
            if (i - from >= kLongestRun && !text[i].isLowSurrogate())
                shown += QChar(0x200B);
            shown += text[i];
        }
        from = at;
    }
    return shown;
}

// QMessageBox wraps a long text at the width it finds usual (half the screen, at most 500
// pixels), and makes no box wider than its own limit. A longer text gets the narrowest width,
// up to that limit, at which it takes at most half the screen's height.
void fitToScreen(QMessageBox &box) {
    auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr || box.layout() == nullptr || box.screen() == nullptr)
        return;
    const QRect screen = box.screen()->availableGeometry();
    // Within QMessageBox's own limit, and never more than three quarters of the screen.
    const int limit =
        screen.width() <= 1024 ? screen.width() * 3 / 4 : std::min(screen.width() - 480, 1000);
    // What the box holds beside the text (its icon and margins), found with a text wider than
    // anything else in it.
    label->setMinimumWidth(limit);
    const int widest = limit - (box.layout()->totalMinimumSize().width() - limit);
    label->setMinimumWidth(0);
    const int usual = std::min(screen.width() / 2, 500);
    label->setWordWrap(true);
    int width = usual;
    while (width < widest && label->heightForWidth(width) > screen.height() / 2)
        width = std::min(widest, width + 20);
    if (width > usual)
        label->setMinimumWidth(width);
}

// A message box over the window, titled with the program's name; the button pressed. The
// buttons say their Japanese words themselves, with the access keys Japanese Windows gives
// them, so that they read so whatever translations of Qt are installed, and Y and N answer.
int showMessage(QWidget *window, QMessageBox::Icon icon, const QString &text,
                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton byDefault) {
    QMessageBox box(icon, QStringLiteral("Pellinova"), breakableEverywhere(text), buttons, window);
    for (const auto &[button, caption] : {std::pair{QMessageBox::Ok, u"OK"},
                                          {QMessageBox::Yes, u"はい(&Y)"},
                                          {QMessageBox::No, u"いいえ(&N)"}}) {
        if (QAbstractButton *shown = box.button(button))
            shown->setText(QString::fromUtf16(caption));
    }
    box.setDefaultButton(byDefault);
    fitToScreen(box);
    keepOwnSize(&box);
    return box.exec();
}

} // namespace

void tellUser(QWidget *window, Tone tone, const QString &text) {
    showMessage(window, tone == Tone::Warning ? QMessageBox::Warning : QMessageBox::Information,
                text, QMessageBox::Ok, QMessageBox::Ok);
}

bool askUser(QWidget *window, const QString &text) {
    return showMessage(window, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                       QMessageBox::No) == QMessageBox::Yes;
}
