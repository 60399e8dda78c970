; A 64-bit installer: it writes the settings store and the file type where
; the 64-bit designer reads them, and runs where only 64-bit programs can.
Target amd64-unicode

; VoltarisDefault ID WRITE NAME DATA: writes the value NAME of the settings
; store (HKLM\Software\Quelmar\Voltaris) with WRITE (WriteRegDWORD or
; WriteRegBin) only when the key holds no value of that name, whatever its
; type. ID makes the macro's labels unique at each use.
!macro VoltarisDefault ID WRITE NAME DATA
  StrCpy $R1 0
  StrCpy $R3 0
  voltaris_default_next_${ID}:
    ClearErrors
    EnumRegValue $R2 HKLM "Software\Quelmar\Voltaris" $R1
    IfErrors voltaris_default_done_${ID}
    StrCmp $R2 "" voltaris_default_done_${ID}
    StrCmp $R2 "${NAME}" 0 +3
      StrCpy $R3 1
      Goto voltaris_default_done_${ID}
    IntOp $R1 $R1 + 1
    Goto voltaris_default_next_${ID}
  voltaris_default_done_${ID}:
  StrCmp $R3 1 +2
    ${WRITE} HKLM "Software\Quelmar\Voltaris" "${NAME}" ${DATA}
!macroend
