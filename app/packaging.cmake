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

if(WIN32)
    # Everything the program needs sits in its own folder, beside pellinova.exe.
    install(TARGETS pellinova RUNTIME DESTINATION .)
    foreach(module Core Gui Widgets)
        install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
    endforeach()
    install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
    install(FILES $<TARGET_FILE:Qt6::QJpegPlugin> DESTINATION imageformats)
    foreach(dll libstdc++-6 libgcc_s_seh-1 libwinpthread-1)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}.dll
                        OUTPUT_VARIABLE runtime_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${runtime_dll}")
            message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not find ${dll}.dll")
        endif()
        install(FILES ${runtime_dll} DESTINATION .)
    endforeach()
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
    # The setup program (cpack -G NSIS): Japanese only, into the 64-bit Program Files, with a
    # Start-menu entry and an uninstaller registered with Windows. Only what is listed above is
    # installed, and the uninstaller deletes those files one by one and the folder only when
    # empty, so the address book kept in the same folder (Tovrin.txt) is never touched.
    set(CPACK_GENERATOR NSIS)
    set(CPACK_PACKAGE_FILE_NAME Pellinova-${PELLINOVA_VERSION_TEXT}-setup)
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Pellinova)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    set(CPACK_NSIS_PACKAGE_NAME "Pellinova Ver${PELLINOVA_VERSION_SHORT}")
    set(CPACK_NSIS_DISPLAY_NAME "Pellinova（アドレス管理帳）")
    set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
    set(CPACK_NSIS_MUI_ICON ${CMAKE_CURRENT_LIST_DIR}/resources/pellinova.ico)
    set(CPACK_NSIS_MUI_UNIICON ${CMAKE_CURRENT_LIST_DIR}/resources/pellinova.ico)
    set(CPACK_NSIS_INSTALLED_ICON_NAME pellinova.exe)
    set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
    set(CPACK_PACKAGE_EXECUTABLES pellinova Pellinova)
    set(CPACK_NSIS_DEFINES "!define MUI_STARTMENUPAGE_DEFAULTFOLDER Pellinova")
    # CMake's own script, made a 64-bit Unicode program like the one it installs (a 32-bit
    # setup.exe would need Wine's 32-bit half to be tested), with Japanese as its one language.
    file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in nsis_script)
    string(REGEX REPLACE "(\n  !insertmacro MUI_LANGUAGE \"[A-Za-z]+\"[^\n]*)+"
           "\n  !insertmacro MUI_LANGUAGE \"Japanese\"" nsis_script "${nsis_script}")
    string(REPLACE "RequestExecutionLevel admin" "RequestExecutionLevel admin\n  Target amd64-unicode"
           nsis_script "${nsis_script}")
    string(FIND "${nsis_script}" "RMDir /r" recursive)
    if(NOT recursive EQUAL -1)
        message(FATAL_ERROR "CMake's NSIS script removes a folder with all it holds")
    endif()
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/nsis/NSIS.template.in "${nsis_script}")
    set(CPACK_MODULE_PATH ${CMAKE_CURRENT_BINARY_DIR}/nsis)
endif()

include(CPack)
