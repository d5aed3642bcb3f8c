#include "frm_jusho.h"

#include "data_file.h"
#include "frm_toroku.h"
#include "guarded_handler.h"
#include "jusho_readout.h"
#include "message_box.h"
#include "version.h"
#include "window_look.h"

#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QFontInfo>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace {

const QString kDetailsStart = QStringLiteral("情報の表示\r\n");
const QString kNamePrompt = QStringLiteral("氏名orハンドルネーム");
const QString kNotice = QStringLiteral("「開く」を押すと右の一覧に氏名が出ます");

QFont noticeFont() {
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("Abadi MT Condensed Light")} +
                     japaneseFontFamilies());
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Light);
    return font;
}

// For what the data file holds: Shift-JIS has no combining marks and no complex scripts, so
// nothing needs shaping, and the face the font resolves to is tried alone rather than the
// whole list for each character (what it lacks still falls back to the system's fonts).
// Together they more than halve the time a person with long fields takes to show.
QFont plainTextFont(QFont font) {
    font.setFamilies({QFontInfo(font).family()});
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// A touch smaller than the rest, so that the whole prompt fits beside the drop-down arrow.
QFont nameListFont(QFont font) {
    font.setPointSizeF(8.25);
    return plainTextFont(font);
}

} // namespace

frmJusho::frmJusho(const DataFileLocation &dataFile, QWidget *parent)
    : QWidget(parent)
    , m_dataFile(dataFile) {
    setWindowTitle(QStringLiteral(PELLINOVA_CAPTION));
    applyWindowLook(this, QSize(twips(7905), twips(5505)));
    createControls();
    setTabOrderAndFocus();
    connectHandlers();
}

void frmJusho::createControls() {
    txtJoho = placed(new QPlainTextEdit(kDetailsStart, this), QStringLiteral("txtJoho"),
                     QStringLiteral("情報の表示"), twipsRect(480, 2280, 5535, 3135));
    txtJoho->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtJoho->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtJoho->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtJoho->setTabChangesFocus(true);
    txtJoho->setFont(plainTextFont(txtJoho->font()));

    cboShimei = placed(new QComboBox(this), QStringLiteral("cboShimei"), kNamePrompt,
                       twipsRect(3840, 1920, 2175, 300));
    cboShimei->setFont(nameListFont(cboShimei->font()));
    cboShimei->setEditable(true);
    // Item k must stay row k: nothing typed may become an item or pick one.
    cboShimei->setInsertPolicy(QComboBox::NoInsert);
    cboShimei->setCompleter(nullptr);
    // The combo selects the item matching the typed text when editing ends; typing runs nothing.
    disconnect(cboShimei->lineEdit(), &QLineEdit::editingFinished, cboShimei, nullptr);
    cboShimei->setEditText(kNamePrompt);
    cboShimei->lineEdit()->setCursorPosition(0);

    cmdOpen =
        placed(makeFlatButton(QStringLiteral("開く"), kButtonFace, this), QStringLiteral("cmdOpen"),
               QStringLiteral("開く"), twipsRect(6240, 4080, 1455, 375));
    cmdShuryo = placed(makeFlatButton(QStringLiteral("終了"), kButtonFace, this),
                       QStringLiteral("cmdShuryo"), QStringLiteral("終了"),
                       twipsRect(6240, 4560, 1455, 375));
    cmdToroku = placed(makeFlatButton(QStringLiteral("登録"), kButtonFace, this),
                       QStringLiteral("cmdToroku"), QStringLiteral("登録"),
                       twipsRect(6240, 5040, 1455, 375));

    Label1 = placed(makeLabel(kNotice, this), QStringLiteral("Label1"), kNotice,
                    twipsRect(480, 2040, 3270, 210));
    Label1->setFont(noticeFont());
    Label1->setBuddy(cboShimei); // the notice is about the name list

    Image1 = placed(new QLabel(this), QStringLiteral("Image1"),
                    QStringLiteral("Pellinova のアイコン"), twipsRect(120, 1440, 480, 480));
    Image1->setPixmap(programIconPicture(this));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void frmJusho::setTabOrderAndFocus() {
    setTabOrder(txtJoho, cboShimei);
    setTabOrder(cboShimei, cmdOpen);
    setTabOrder(cmdOpen, cmdShuryo);
    setTabOrder(cmdShuryo, cmdToroku);
    txtJoho->setFocus();
}

void frmJusho::connectHandlers() {
    connectHandler(cmdOpen, &QPushButton::clicked, this, &frmJusho::cmdOpen_Click);
    connectHandler(cmdShuryo, &QPushButton::clicked, this, &frmJusho::cmdShuryo_Click);
    connectHandler(cmdToroku, &QPushButton::clicked, this, &frmJusho::cmdToroku_Click);
    // activated comes from a pick in the drop-down list and from the arrow keys, not from typing.
    connectHandler(cboShimei, &QComboBox::activated, this, &frmJusho::cboShimei_Click);
}

void frmJusho::cmdOpen_Click() {
    const Result<qint16> loaded = LoadJushoTable(JushoTable, m_dataFile);
    if (!loaded.ok()) {
        // A missing file is no fault: it is how every address book starts.
        const bool empty = loaded.error().kind == DataError::Kind::FileMissing;
        tellUser(this, empty ? Tone::Information : Tone::Warning, loaded.error().message());
        return;
    }
    listNames(loaded.value());
    // A damaged file still shows every record that could be read; the user hears why not all.
    // That the book was saved as UTF-8 is said once; it stays so until something is added.
    QStringList warnings;
    for (const DataError &warning : loaded.warnings()) {
        if (warning.kind != DataError::Kind::SavedAsUtf8 || !std::exchange(m_toldSavedAsUtf8, true))
            warnings << warning.message();
    }
    if (!warnings.isEmpty())
        tellUser(this, Tone::Warning, warnings.join(QStringLiteral("\n\n")));
}

void frmJusho::listNames(qint16 count) {
    const QStringList names = namesToAppend(JushoTable, cboShimei->count(), count);
    if (names.isEmpty())
        return;
    const int selected = cboShimei->currentIndex();
    const QString typed = cboShimei->currentText();
    cboShimei->addItems(names);
    // An empty combo selects its first new item and shows its text; Open changes neither.
    cboShimei->setCurrentIndex(selected);
    if (cboShimei->currentText() != typed) {
        cboShimei->setEditText(typed);
        cboShimei->lineEdit()->setCursorPosition(0);
    }
}

void frmJusho::cboShimei_Click() {
    // Out-of-range positions stay out of range rather than wrap into the table.
    const int position = std::clamp(cboShimei->currentIndex(), -1, int(JushoTable::kRows));
    const std::optional<QString> details = detailsText(JushoTable, static_cast<qint16>(position));
    if (details)
        txtJoho->setPlainText(*details);
}

void frmJusho::cmdShuryo_Click() {
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

void frmJusho::cmdToroku_Click() {
    if (m_toroku == nullptr)
        m_toroku = new frmToroku(m_dataFile, this);
    m_toroku->showModally();
}
