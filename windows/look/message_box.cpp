#include "message_box.h"

#include "own_size.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

// The longest run of characters a message shows with nowhere to break the line: a path with
// a long folder name would otherwise make the box wider than the screen and cut it off.
constexpr int kLongestRun = 40;

// The text with a zero-width space wherever a run with nowhere to break is longer than that,
// so that every line wraps within the box and the whole text can be read.
QString breakableEverywhere(const QString &text) {
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    QString shown;
    shown.reserve(text.size() + text.size() / kLongestRun);
    qsizetype from = 0;
    for (qsizetype at = lines.toNextBoundary(); at != -1; at = lines.toNextBoundary()) {
        for (qsizetype i = from, run = 0; i < at; ++i, ++run) {
            if (run >= kLongestRun && !text[i].isLowSurrogate()) {
                shown += QChar(0x200B);
                run = 0;
            }
            shown += text[i];
        }
        from = at;
    }
    return shown;
}

// QMessageBox wraps a long text at the width it finds usual (half the screen, at most 500
// pixels). A longer one gets the width it needs to stay within half the screen's height,
// but never more than three quarters of the screen's width.
void fitToScreen(QMessageBox &box) {
    auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (label == nullptr || box.screen() == nullptr)
        return;
    const QRect screen = box.screen()->availableGeometry();
    const QFontMetrics metrics(label->font());
    const qint64 area = qint64(metrics.horizontalAdvance(label->text())) * metrics.lineSpacing();
    const qint64 wanted = area / std::max(1, screen.height() / 2);
    if (wanted > std::min(screen.width() / 2, 500))
        label->setMinimumWidth(int(std::min<qint64>(wanted, screen.width() * 3 / 4)));
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
