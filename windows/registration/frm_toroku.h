#pragma once

#include "data_file_location.h"

#include <QDialog>

// The modal window in which the user enters one person and adds it to the data file.
class frmToroku : public QDialog {
    Q_OBJECT
public:
    explicit frmToroku(const DataFileLocation &dataFile, QWidget *parent = nullptr);

private:
    DataFileLocation m_dataFile;
};
