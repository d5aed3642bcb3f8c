#pragma once

#include "data_file_location.h"
#include "launchers.h"
#include "toroku_record.h"

#include <QDialog>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The modal window in which the user enters one person and adds it to the data file.
class frmToroku : public QDialog {
    Q_OBJECT
public:
    explicit frmToroku(const DataFileLocation &dataFile, QWidget *parent = nullptr,
                       const LauncherTable &launchers = defaultLaunchers());

    // Loads the window afresh (initial texts, lists filled) and shows it modally;
    // returns when the user closes it.
    void showModally();

    // Puts every control back to its initial content and fills the lists.
    void Form_Load();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void OKButton_Click();
    void CancelButton_Click();
    void cmdShuryo_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    void createControls();
    void chainTabOrder();
    void runLauncher(int index);

    DataFileLocation m_dataFile;
    LauncherTable m_launchers;

    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;
    QPushButton *cmdShuryo = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *txtShimei = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *txtJusho = nullptr;
    QLabel *Label3 = nullptr;
    std::array<QComboBox *, kContactRows> cboPhone{};
    std::array<QLineEdit *, kContactRows> txtPhone{};
    QLabel *Label4 = nullptr;
    QListWidget *lstOS = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPlainTextEdit *Text1 = nullptr;
};
