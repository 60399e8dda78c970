# The designer as a Windows program (the cross build with Qt for Windows):
# the icon and version in the executables, everything the programs need
# installed beside them, and the installer made by CPack's NSIS generator
# (`make windows-installer`).
#
# The installed tree:
#   bin/        voltaris.exe, voltaris-report.exe, the Qt DLLs, the compiler's
#               runtime DLLs, platforms/qwindows.dll, styles/qwindowsvistastyle.dll
#   share/voltaris/  Colors.dat and examples/, which the designer copies into
#               the user's Documents\Voltaris on its first start
#   licences/   the licences of Qt and of the compiler's runtime

# The icon and the version resource of each program.
set(VOLTARIS_ICON_FILE ${PROJECT_SOURCE_DIR}/packaging/windows/voltaris.ico)
foreach(program voltaris voltaris-report)
  if(program STREQUAL "voltaris")
    set(VOLTARIS_RC_DESCRIPTION "Voltaris designer")
  else()
    set(VOLTARIS_RC_DESCRIPTION "Voltaris report")
  endif()
  set(VOLTARIS_RC_NAME ${program})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${PROJECT_BINARY_DIR}/${program}.rc @ONLY)
  target_sources(${program} PRIVATE ${PROJECT_BINARY_DIR}/${program}.rc)
endforeach()
# The designer is a window program: no console opens beside it.
set_target_properties(voltaris PROPERTIES WIN32_EXECUTABLE ON)

# Qt's DLLs and the two plugins, from the imported targets: the windows
# platform (voltaris-report --pdf uses it too, for the system's fonts) and
# the native style.
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
              $<TARGET_FILE:Qt6::PrintSupport>
        DESTINATION bin)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION bin/platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION bin/styles)
# The compiler's runtime DLLs, which Qt's DLLs and the programs link to.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE path
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "the compiler's ${dll} was not found (${CMAKE_CXX_COMPILER} -print-file-name)")
  endif()
  file(REAL_PATH "${path}" path)
  install(FILES ${path} DESTINATION bin)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/resources/Colors.dat DESTINATION share/voltaris)
install(FILES ${PROJECT_SOURCE_DIR}/examples/Accounts.db ${PROJECT_SOURCE_DIR}/examples/CornerShop.dat
              ${PROJECT_SOURCE_DIR}/examples/CornerShop.pjx ${PROJECT_SOURCE_DIR}/examples/Warehouse.dat
              ${PROJECT_SOURCE_DIR}/examples/Warehouse.pjx
        DESTINATION share/voltaris/examples)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/licences.txt DESTINATION licences)

# The installer.
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Voltaris)
set(CPACK_PACKAGE_VENDOR "Voltaris developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Power supply and voltage checks for intruder-alarm systems")
set(CPACK_PACKAGE_FILE_NAME Voltaris-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Voltaris)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Voltaris)
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/packaging/windows/licences.txt)
# A Start-menu entry for the designer, and a desktop shortcut when the user
# ticks it on the options page.
set(CPACK_PACKAGE_EXECUTABLES voltaris Voltaris)
set(CPACK_CREATE_DESKTOP_LINKS voltaris)
set(CPACK_NSIS_MODIFY_PATH ON)
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Voltaris)
set(CPACK_NSIS_DISPLAY_NAME Voltaris)
set(CPACK_NSIS_INSTALLED_ICON_NAME [[bin\voltaris.exe]])
set(CPACK_NSIS_MUI_ICON ${VOLTARIS_ICON_FILE})
set(CPACK_NSIS_MUI_UNIICON ${VOLTARIS_ICON_FILE})
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)

# The design defaults of the settings store, each written only where the
# key has no value of that name yet, so that a reinstall keeps the defaults
# an installer set with "Set as Defaults". The store is read in the 64-bit
# view of the registry, as the program is 64-bit.
file(READ ${PROJECT_SOURCE_DIR}/packaging/windows/defaults.nsh CPACK_NSIS_DEFINES)
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [[
  SetRegView 64
  !insertmacro VoltarisDefault 1 WriteRegDWORD "System Standard" 1
  !insertmacro VoltarisDefault 2 WriteRegDWORD "Alarm Period" 15
  !insertmacro VoltarisDefault 3 WriteRegDWORD "Cable Length" 10
  !insertmacro VoltarisDefault 4 WriteRegBin "Cable Impedence" 9A9999999999B93F
  !insertmacro VoltarisDefault 5 WriteRegBin "Battery Degradation" 000000000000F03F
  !insertmacro VoltarisDefault 6 WriteRegDWORD "ShowLength" 1
  ; A double click on a project's layout file opens it in the designer.
  WriteRegStr SHCTX "Software\Classes\.pjx" "" "Voltaris.Project"
  WriteRegStr SHCTX "Software\Classes\Voltaris.Project" "" "Voltaris project"
  WriteRegStr SHCTX "Software\Classes\Voltaris.Project\DefaultIcon" "" "$INSTDIR\bin\voltaris.exe,0"
  WriteRegStr SHCTX "Software\Classes\Voltaris.Project\shell\open\command" "" '"$INSTDIR\bin\voltaris.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]])
# The uninstaller takes the program and its file type away; the user's
# projects in Documents\Voltaris and the settings store stay.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [[
  ReadRegStr $0 SHCTX "Software\Classes\.pjx" ""
  StrCmp $0 "Voltaris.Project" 0 +2
    DeleteRegKey SHCTX "Software\Classes\.pjx"
  DeleteRegKey SHCTX "Software\Classes\Voltaris.Project"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
]])
# The values above reach NSIS exactly as written here.
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
