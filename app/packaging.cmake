# Installation, the Debian package and the Windows resources of the program. Included last
# from the top-level CMakeLists.txt, once the pellinova target exists.
include(GNUInstallDirs)

# Installing and packing take what has been built and never start a build of their own.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/windows/runtime.cmake)
    enable_language(RC)
    # The program has no console and no command line.
    set_target_properties(pellinova PROPERTIES WIN32_EXECUTABLE ON)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/pellinova.rc.in ${CMAKE_CURRENT_BINARY_DIR}/pellinova.rc
                   @ONLY)
    target_sources(pellinova PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/pellinova.rc)
endif()

if(WIN32)
    # Everything the program needs sits in its own folder, beside pellinova.exe.
    install(TARGETS pellinova RUNTIME DESTINATION .)
    foreach(module Core Gui Widgets)
        install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
    endforeach()
    install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
    install(FILES $<TARGET_FILE:Qt6::QJpegPlugin> DESTINATION imageformats)
    install_mingw_runtime()
    # Qt's own Japanese comes from the build machine's Qt (qt6-translations-l10n); qt.conf
    # makes the folder of the .exe Qt's prefix, so that it is found in translations/ there.
    find_file(PELLINOVA_QTBASE_JA qtbase_ja.qm PATHS /usr/share/qt6/translations
              NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    install(FILES ${PELLINOVA_QTBASE_JA} DESTINATION translations)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/windows/qt.conf DESTINATION .)
else()
    install(TARGETS pellinova RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(UNIX AND NOT APPLE)
    set(PELLINOVA_APP_ID org.pellinova.Pellinova)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/desktop/${PELLINOVA_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    set(PELLINOVA_METAINFO ${CMAKE_CURRENT_BINARY_DIR}/${PELLINOVA_APP_ID}.metainfo.xml)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/desktop/${PELLINOVA_APP_ID}.metainfo.xml.in
                   ${PELLINOVA_METAINFO} @ONLY)
    install(FILES ${PELLINOVA_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

    set(icon_theme ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/icon.png
            DESTINATION ${icon_theme}/32x32/apps RENAME ${PELLINOVA_APP_ID}.png)
    foreach(size 48 64 128 256)
        install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/icon-${size}.png
                DESTINATION ${icon_theme}/${size}x${size}/apps RENAME ${PELLINOVA_APP_ID}.png)
    endforeach()
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/resources/icon.svg
            DESTINATION ${icon_theme}/scalable/apps RENAME ${PELLINOVA_APP_ID}.svg)
endif()

set(CPACK_PACKAGE_NAME pellinova)
set(CPACK_PACKAGE_VENDOR Pellinova)
# The version the program shows, rather than the project's dotted one.
set(CPACK_PACKAGE_VERSION ${PELLINOVA_VERSION_TEXT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small Japanese address book")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Pellinova (アドレス管理帳) is an address book (住所録) that keeps the name,"
    "address, four contacts, category and notes of each person in one Shift-JIS"
    "text file. 開く (Open) lists the names and shows the chosen person; 登録"
    "(Register) opens the registration window, whose 追加 (Add) adds one person"
    "at a time.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Pellinova)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Pellinova developers <pellinova@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own Japanese (context menus, standard dialogs) is part of a Japanese program, so it
# is a dependency; a Japanese font and xdg-email for the mail button are recommended.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic, xdg-utils")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
endif()

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/windows/setup.cmake)
endif()

include(CPack)
