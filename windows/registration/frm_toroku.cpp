#include "frm_toroku.h"

#include "data_file.h"
#include "guarded_handler.h"
#include "message_box.h"
#include "toroku_items.h"
#include "version.h"
#include "window_look.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// Labels end before the column of fields that starts here, with a pixel of black between.
constexpr int kFieldColumn = 960;

QLabel *placedLabel(const QString &objectName, const QString &text, int left, int top,
                    QWidget *parent) {
    QLabel *label = makeLabel(text, parent);
    label->setObjectName(objectName);
    label->move(twips(left), twips(top));
    label->adjustSize();

    // The CJK fonts here set kana full width, wider than the classic dialog font did; a
    // label that would run under its field is set a little tighter instead.
    const int room = twips(kFieldColumn) - twips(left) - 1;
    const int excess = label->width() - room;
    if (excess > 0) {
        QFont tighter = label->font();
        tighter.setLetterSpacing(QFont::AbsoluteSpacing, -qreal(excess) / text.size() - 0.05);
        label->setFont(tighter);
        label->adjustSize();
    }
    return label;
}

QPushButton *placedButton(const QString &objectName, const QString &caption, QColor face,
                          QRect geometry, QWidget *parent) {
    return placed(makeFlatButton(caption, face, parent), objectName, caption, geometry);
}

// The CJK font's line box is taller than these 18-pixel fields and sits low around its
// glyphs: let the text use the whole field, a pixel higher, so that kanji tops and Latin
// descenders both show.
constexpr QMargins kFieldTextMargins(0, -2, 0, -1);

QLineEdit *newField(QWidget *parent) {
    auto *field = new QLineEdit(parent);
    field->setTextMargins(kFieldTextMargins);
    return field;
}

QString selectedText(const QListWidget *list) {
    const QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

} // namespace

frmToroku::frmToroku(const DataFileLocation &dataFile, QWidget *parent,
                     const LauncherTable &launchers)
    : QDialog(parent)
    , m_dataFile(dataFile)
    , m_launchers(launchers) {
    setWindowTitle(QStringLiteral(PELLINOVA_CAPTION "　登録ウィンドウ"));
    applyWindowLook(this, QSize(twips(7905), twips(6405)));
    createControls();
    chainTabOrder();

    const auto on = [this](QPushButton *button, void (frmToroku::*handler)()) {
        connectHandler(button, &QPushButton::clicked, this, handler);
    };
    on(OKButton, &frmToroku::OKButton_Click);
    on(CancelButton, &frmToroku::CancelButton_Click);
    on(cmdShuryo, &frmToroku::cmdShuryo_Click);
    on(Command1, &frmToroku::Command1_Click);
    on(Command2, &frmToroku::Command2_Click);
    on(Command3, &frmToroku::Command3_Click);
}

void frmToroku::createControls() {
    OKButton = placedButton(QStringLiteral("OKButton"), QStringLiteral("追加"), kButtonFace,
                            twipsRect(2640, 1800, 1455, 375), this);
    CancelButton = placedButton(QStringLiteral("CancelButton"), QStringLiteral("クリアー"),
                                kButtonFace, twipsRect(4200, 1800, 1455, 375), this);
    cmdShuryo = placedButton(QStringLiteral("cmdShuryo"), QStringLiteral("終了"), kButtonFace,
                             twipsRect(5760, 1800, 1455, 375), this);

    Label1 = placedLabel(QStringLiteral("Label1"), JushoLabel::Name.toString(), 120, 1920, this);
    txtShimei = placed(newField(this), QStringLiteral("txtShimei"), Label1->text(),
                       twipsRect(960, 1920, 1575, 270));
    Label2 = placedLabel(QStringLiteral("Label2"), JushoLabel::Address.toString(), 120, 2280, this);
    txtJusho = placed(newField(this), QStringLiteral("txtJusho"), Label2->text(),
                      twipsRect(960, 2280, 6255, 270));

    Label3 =
        placedLabel(QStringLiteral("Label3"), JushoLabel::Contacts.toString(), 120, 2640, this);
    for (int i = 0; i < kContactRows; ++i) {
        const int top = 2640 + 360 * i;
        const QString row = jushoFieldName(qint16(Phone0 + i));

        auto *kind = placed(new QComboBox(this), QStringLiteral("cboPhone_%1").arg(i),
                            row + QStringLiteral("の種類"), twipsRect(960, top, 1575, 300));
        kind->setEditable(true);
        // A typed kind is stored as typed: no completing into a list item, no new items.
        kind->setCompleter(nullptr);
        kind->setInsertPolicy(QComboBox::NoInsert);
        kind->lineEdit()->setTextMargins(kFieldTextMargins);
        cboPhone[i] = kind;

        txtPhone[i] = placed(newField(this), QStringLiteral("txtPhone_%1").arg(i), row,
                             twipsRect(2640, top, 4575, 270));
    }

    Label4 =
        placedLabel(QStringLiteral("Label4"), JushoLabel::Category.toString(), 120, 4200, this);
    lstOS = placed(new QListWidget(this), QStringLiteral("lstOS"), Label4->text(),
                   twipsRect(960, 4200, 1575, 600));
    lstOS->setSelectionMode(QAbstractItemView::SingleSelection);

    const auto launchButton = [this](int i) {
        QPushButton *button =
            placedButton(QStringLiteral("Command%1").arg(i + 1), m_launchers[i].caption,
                         kLaunchButtonFace, twipsRect(2640 + 1560 * i, 4200, 1455, 375), this);
        // The captions name programs of another platform; say what really starts.
        button->setAccessibleDescription(launchDescription(m_launchers[i]));
        return button;
    };
    Command1 = launchButton(0);
    Command2 = launchButton(1);
    Command3 = launchButton(2);

    Text1 = placed(new QPlainTextEdit(this), QStringLiteral("Text1"), JushoLabel::Notes.toString(),
                   twipsRect(960, 4920, 6375, 1335));
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setTabChangesFocus(true);

    // Screen readers announce each field with the label that names it.
    Label1->setBuddy(txtShimei);
    Label2->setBuddy(txtJusho);
    Label3->setBuddy(cboPhone[0]);
    Label4->setBuddy(lstOS);
}

void frmToroku::chainTabOrder() {
    QList<QWidget *> order;
    for (int i = 0; i < kContactRows; ++i)
        order << txtPhone[i];
    for (int i = 0; i < kContactRows; ++i)
        order << cboPhone[i];
    order << Text1 << txtJusho << txtShimei << lstOS << OKButton << CancelButton << cmdShuryo
          << Command1 << Command2 << Command3;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void frmToroku::showModally() {
    Form_Load();
    exec();
}

void frmToroku::Form_Load() {
    // setText() rather than clear(): nothing typed in an earlier opening may come back with
    // Ctrl+Z.
    for (int i = 0; i < kContactRows; ++i) {
        cboPhone[i]->clear();
        for (QStringView kind : kContactKinds)
            cboPhone[i]->addItem(kind.toString());
        cboPhone[i]->setCurrentIndex(-1);
        cboPhone[i]->lineEdit()->setText(QString());
        txtPhone[i]->setText(QString());
    }
    lstOS->clear();
    for (QStringView category : kCategories)
        lstOS->addItem(category.toString());
    txtShimei->setText(QString());
    txtJusho->setText(QString());
    Text1->setPlainText(kNotesGuide.toString());
    txtPhone[0]->setFocus();
}

void frmToroku::keyPressEvent(QKeyEvent *event) {
    // No default and no cancel button: Enter and Esc neither press a button nor close.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Enter:
    case Qt::Key_Return:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void frmToroku::OKButton_Click() {
    std::array<QString, kContactRows> kinds;
    std::array<QString, kContactRows> values;
    for (int i = 0; i < kContactRows; ++i) {
        kinds[i] = cboPhone[i]->currentText();
        values[i] = txtPhone[i]->text();
    }
    const JushoRecord record = gatherRecord(txtShimei->text(), txtJusho->text(), kinds, values,
                                            selectedText(lstOS), Text1->toPlainText());
    // A file that needs more than a line at its end asks first, and is tried again with each
    // repair the user agrees to.
    Repairs agreed;
    AppendResult added = AppendJushoRecord(record, m_dataFile);
    while (!added.ok()) {
        const std::optional<Repair> asked = repairAskedFor(added.error());
        if (!asked || agreed.testFlag(*asked))
            break;
        if (!askUser(this, added.error().message()))
            return;
        agreed |= *asked;
        added = AppendJushoRecord(record, m_dataFile, agreed);
    }
    if (!added.ok())
        tellUser(this, Tone::Warning, added.error().message());
    else if (added.value().replaced)
        tellUser(this, Tone::Information,
                 QStringLiteral("住所録を Shift-JIS に戻してから、この人を追加しました。\n"
                                "UTF-8 で保存されていた元のファイルは、次の名前で残してあります。\n"
                                "ファイル：%1")
                     .arg(added.value().setAside));
    else if (!added.value().setAside.isEmpty())
        tellUser(this, Tone::Information,
                 QStringLiteral("途中で終わっていた記録を次のファイルに退避してから、"
                                "この人を追加しました。\n退避したファイル：%1")
                     .arg(added.value().setAside));
}

void frmToroku::CancelButton_Click() {
    txtShimei->clear();
    txtJusho->clear();
    Text1->clear();
    for (int i = 0; i < kContactRows; ++i)
        txtPhone[i]->clear();
}

void frmToroku::cmdShuryo_Click() {
    close();
}

void frmToroku::Command1_Click() {
    runLauncher(0);
}

void frmToroku::Command2_Click() {
    runLauncher(1);
}

void frmToroku::Command3_Click() {
    runLauncher(2);
}

void frmToroku::runLauncher(int index) {
    if (const auto failure = launch(m_launchers[index]))
        tellUser(this, Tone::Warning, *failure);
}
