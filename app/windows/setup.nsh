; Pellinova's own steps in the setup program that CPack makes (setup.cmake includes this).
!include LogicLib.nsh

; Stops before anything is changed while Pellinova runs, saying so (silently: exit code 2):
; the files of a running program can be neither replaced nor removed, and an uninstaller that
; went on would leave them behind with nothing to remove them. A running pellinova.exe cannot
; be opened for writing.
!macro PellinovaNotWhileRunning
  ${If} ${FileExists} "$INSTDIR\pellinova.exe"
    ClearErrors
    FileOpen $0 "$INSTDIR\pellinova.exe" a
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "Pellinova が起動しています。$\r$\nPellinova を終了してから、もう一度お試しください。$\r$\n何も変更していません。" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    FileClose $0
  ${EndIf}
!macroend

; The program reads its address book from C:\Program Files\Pellinova and nowhere else, so it
; is installed there, whatever /D asks.
!macro PellinovaWhereTheBookIs
  StrCpy $INSTDIR "$PROGRAMFILES64\Pellinova"
  !insertmacro PellinovaNotWhileRunning
!macroend

; The size Apps (Programs and Features) shows, in KB: what the core section installs.
!macro PellinovaRegisterSize
  SectionGetSize 0 $0
  WriteRegDWORD SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellinova" "EstimatedSize" $0
!macroend

; After the uninstaller has deleted its files: if one could not be deleted (held by another
; program), it stops there, keeping itself and its entry in Apps, so that it can be run again.
!macro PellinovaKeptIfAnyLeft
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "削除できなかったファイルがあります。$\r$\nそのファイルを使っているプログラムを終了してから、もう一度アンインストールしてください。" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend
