# Installation, the Debian package and the Windows resources of the program. Included last
# from the top-level CMakeLists.txt, once the pellinova target exists.
include(GNUInstallDirs)

# Installing and packing take what has been built and never start a build of their own.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
    enable_language(RC)
    # The program has no console and no command line.
    set_target_properties(pellinova PROPERTIES WIN32_EXECUTABLE ON)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/pellinova.rc.in ${CMAKE_CURRENT_BINARY_DIR}/pellinova.rc
                   @ONLY)
    target_sources(pellinova PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/pellinova.rc)
endif()

install(TARGETS pellinova RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

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
    "Pellinova (アドレス管理帳) keeps the name, address, four contact entries,"
    "category and notes of each person in one Shift-JIS text file. The address"
    "list window shows the chosen person; the registration window adds one"
    "person at a time.")
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

include(CPack)
