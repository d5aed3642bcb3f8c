#include "frm_toroku.h"

frmToroku::frmToroku(const DataFileLocation &dataFile, QWidget *parent)
    : QDialog(parent)
    , m_dataFile(dataFile) {}

void frmToroku::showModally() {}
