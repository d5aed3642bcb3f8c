#pragma once

#include "data_file_location.h"
#include "jusho_table.h"

#include <QWidget>

// The start-up window: lists the names in the data file and shows the chosen person.
class frmJusho : public QWidget {
    Q_OBJECT
public:
    explicit frmJusho(const DataFileLocation &dataFile, QWidget *parent = nullptr);

private:
    DataFileLocation m_dataFile;
    JushoTable JushoTable_;
};
