#include "frm_jusho.h"

#include "window_look.h"

frmJusho::frmJusho(const DataFileLocation &dataFile, QWidget *parent)
    : QWidget(parent)
    , m_dataFile(dataFile) {
    setWindowTitle(QStringLiteral("Pellinova Ver1.21"));
    applyWindowLook(this, QSize(twips(7905), twips(5505)));
}
