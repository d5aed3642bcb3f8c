#pragma once

#include "data_file_location.h"

#include <QDialog>

// The modal window in which the user enters one person and adds it to the data file.
class frmToroku : public QDialog {
    Q_OBJECT
public:
    explicit frmToroku(const DataFileLocation &dataFile, QWidget *parent = nullptr);

    // Loads the window afresh (initial texts, lists filled) and shows it modally;
    // returns when the user closes it.
    void showModally();

private:
    DataFileLocation m_dataFile;
};
