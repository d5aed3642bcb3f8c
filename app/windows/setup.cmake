# The setup program (cpack -G NSIS): Japanese only, 64-bit, with a Start-menu entry and an
# uninstaller registered with Windows. Only what packaging.cmake lists is installed, and the
# uninstaller deletes those files one by one and the folder only when empty, so the address
# book kept in the same folder (Tovrin.txt) is never touched.
#
# The program reads and writes its book at the one fixed place C:\Program Files\Pellinova, so
# it installs there and nowhere else: there is no folder page, and /D is not followed.
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_FILE_NAME Pellinova-${PELLINOVA_VERSION_TEXT}-setup)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Pellinova)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME "${PELLINOVA_CAPTION}")
set(CPACK_NSIS_DISPLAY_NAME "Pellinova（アドレス管理帳）")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_MUI_ICON ${CMAKE_CURRENT_LIST_DIR}/../resources/pellinova.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_CURRENT_LIST_DIR}/../resources/pellinova.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME pellinova.exe)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES pellinova Pellinova)
set(CPACK_NSIS_DEFINES "!define MUI_STARTMENUPAGE_DEFAULTFOLDER Pellinova")
# The program is free software with no licence text of its own to show ("フリーソフト", as its
# version block says), so there is no licence page: CPack's would show its English placeholder.
set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!insertmacro PellinovaRegisterSize")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "ClearErrors") # before the files are deleted

# CMake's own script, made a 64-bit Unicode program like the one it installs (a 32-bit
# setup.exe would need Wine's 32-bit half to be tested), with Japanese as its one language,
# and Pellinova's own steps from setup.nsh.
file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in nsis_script)
function(edit_nsis_script old new)
    string(FIND "${nsis_script}" "${old}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "CMake's NSIS script has no \"${old}\" to change")
    endif()
    string(REPLACE "${old}" "${new}" edited "${nsis_script}")
    set(nsis_script "${edited}" PARENT_SCOPE)
endfunction()
string(REGEX REPLACE "(\n  !insertmacro MUI_LANGUAGE \"[A-Za-z]+\"[^\n]*)+"
       "\n  !insertmacro MUI_LANGUAGE \"Japanese\"" nsis_script "${nsis_script}")
edit_nsis_script("RequestExecutionLevel admin" "RequestExecutionLevel admin\n  Target amd64-unicode
  !include /CHARSET=UTF8 \"${CMAKE_CURRENT_LIST_DIR}/setup.nsh\"")
edit_nsis_script("  !insertmacro MUI_PAGE_DIRECTORY\n" "")
edit_nsis_script("Uninstall.lnk" "Pellinova のアンインストール.lnk")
# Both start by refusing to go on while Pellinova runs; setup then installs where the book is.
edit_nsis_script("Function un.onInit\n" "Function un.onInit\n  !insertmacro PellinovaNotWhileRunning\n")
edit_nsis_script("  noOptionsPage:\nFunctionEnd"
                 "  noOptionsPage:\n  !insertmacro PellinovaWhereTheBookIs\nFunctionEnd")
# The uninstaller and its entry in Apps stay for as long as anything they installed does.
edit_nsis_script("  ;Remove the uninstaller itself.\n"
                 "  ;Remove the uninstaller itself.\n  !insertmacro PellinovaKeptIfAnyLeft\n")
# The vendor's key, emptied by the uninstaller, goes too.
edit_nsis_script("  Push $INSTDIR\\bin\n  StrCmp $DO_NOT_ADD_TO_PATH_"
                 "  DeleteRegKey /ifempty SHCTX \"Software\\@CPACK_PACKAGE_VENDOR@\"\n\n  Push $INSTDIR\\bin\n  StrCmp $DO_NOT_ADD_TO_PATH_")
string(FIND "${nsis_script}" "RMDir /r" recursive)
if(NOT recursive EQUAL -1)
    message(FATAL_ERROR "CMake's NSIS script removes a folder with all it holds")
endif()
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/nsis/NSIS.template.in "${nsis_script}")
set(CPACK_MODULE_PATH ${CMAKE_CURRENT_BINARY_DIR}/nsis)
