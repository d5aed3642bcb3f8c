#pragma once

#include "data_file_location.h"
#include "jusho_table.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class frmToroku;

// The start-up window: lists the names in the data file and shows the chosen person.
class frmJusho : public QWidget {
    Q_OBJECT
public:
    explicit frmJusho(const DataFileLocation &dataFile, QWidget *parent = nullptr);

private:
    void createControls();
    void setTabOrderAndFocus();
    void connectHandlers();

    void cmdOpen_Click();
    void cboShimei_Click();
    void cmdShuryo_Click();
    void cmdToroku_Click();

    // Adds the names of the rows the list does not show yet, up to count.
    void listNames(qint16 count);

    DataFileLocation m_dataFile;
    ::JushoTable JushoTable;

    QPlainTextEdit *txtJoho = nullptr;
    QComboBox *cboShimei = nullptr;
    QPushButton *cmdOpen = nullptr;
    QPushButton *cmdShuryo = nullptr;
    QPushButton *cmdToroku = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;

    frmToroku *m_toroku = nullptr; // created on the first Register
    bool m_toldSavedAsUtf8 = false;
};
