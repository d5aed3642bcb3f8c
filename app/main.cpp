#include "data_file_location.h"
#include "frm_jusho.h"
#include "window_look.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    applyJapaneseFonts(app);
    frmJusho window(jushoDataFileLocation());
    window.show();
    return app.exec();
}
