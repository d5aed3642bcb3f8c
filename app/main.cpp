#include "accessibility.h"
#include "data_file_location.h"
#include "data_folder.h"
#include "frm_jusho.h"
#include "version.h"
#include "window_look.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Standard context menus and message-box buttons in Japanese, whatever the user's locale.
void installQtJapanese(QApplication &app) {
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

} // namespace

int main(int argc, char *argv[]) {
    reportFileSizeLimitAsError();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pellinova"));
    QApplication::setApplicationVersion(QStringLiteral(PELLINOVA_VERSION_TEXT));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.pellinova.Pellinova"));
    applyJapaneseFonts(app);
    installQtJapanese(app);
    installAccessibleInterfaces();

    frmJusho window(jushoDataFileLocation());
    window.show();
    return app.exec();
}
