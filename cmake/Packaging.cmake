# The Debian package of the designer and voltaris-report (`make package`).
#
# /usr/bin/voltaris is a small script that prepares ~/Voltaris (its Data
# folder with the example projects, the supply palette beside it) and runs
# the program from /usr/lib/voltaris there; the desktop entry, the icon, the
# AppStream metainfo, the project file type and the manual pages go where the
# desktop looks for them. The package's dependencies come from dpkg-shlibdeps.

set(VOLTARIS_SHARE_DIR share/voltaris)
set(VOLTARIS_MAINTAINER "Voltaris developers <developers@voltaris.example.org>")
set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging/linux)
set(staged_dir ${PROJECT_BINARY_DIR}/packaging)

# Directories as Debian wants them whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

configure_file(${packaging_dir}/voltaris.in ${staged_dir}/voltaris @ONLY)
configure_file(${packaging_dir}/com.quelmar.voltaris.metainfo.xml ${staged_dir}/com.quelmar.voltaris.metainfo.xml
               @ONLY)
configure_file(${packaging_dir}/changelog ${staged_dir}/changelog @ONLY)
configure_file(${packaging_dir}/voltaris.1 ${staged_dir}/voltaris.1 @ONLY)
configure_file(${packaging_dir}/voltaris-report.1 ${staged_dir}/voltaris-report.1 @ONLY)

# Manual pages and the changelog are shipped compressed, without a time stamp
# so that the package is the same from one build to the next.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(compressed)
foreach(file voltaris.1 voltaris-report.1 changelog)
  add_custom_command(
    OUTPUT ${staged_dir}/${file}.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -k -f ${staged_dir}/${file}
    DEPENDS ${staged_dir}/${file}
    VERBATIM)
  list(APPEND compressed ${staged_dir}/${file}.gz)
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${compressed})

install(PROGRAMS ${staged_dir}/voltaris DESTINATION bin)
install(FILES ${packaging_dir}/voltaris.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icon.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME voltaris.svg)
install(FILES ${staged_dir}/com.quelmar.voltaris.metainfo.xml DESTINATION share/metainfo)
install(FILES ${packaging_dir}/voltaris-mime.xml DESTINATION share/mime/packages RENAME voltaris.xml)
install(FILES ${staged_dir}/voltaris.1.gz ${staged_dir}/voltaris-report.1.gz DESTINATION share/man/man1)
install(FILES ${packaging_dir}/copyright ${staged_dir}/changelog.gz DESTINATION share/doc/voltaris)
install(FILES ${PROJECT_SOURCE_DIR}/resources/Colors.dat DESTINATION ${VOLTARIS_SHARE_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/examples/Accounts.db ${PROJECT_SOURCE_DIR}/examples/CornerShop.dat
              ${PROJECT_SOURCE_DIR}/examples/CornerShop.pjx ${PROJECT_SOURCE_DIR}/examples/Warehouse.dat
              ${PROJECT_SOURCE_DIR}/examples/Warehouse.pjx
        DESTINATION ${VOLTARIS_SHARE_DIR}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME voltaris)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VOLTARIS_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "power supply and voltage checks for intruder-alarm systems")
# The extended description in lines of at most 80 characters, as Debian wants it.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Voltaris is a design tool for installers of intruder-alarm systems. The"
  "installer picks a control panel, a system grade and a battery, places"
  "keypads, expanders, readers, receivers and remote power supplies on the"
  "panel's data networks, and enters cable lengths and the equipment each"
  "device powers. The designer tells whether every power supply meets the"
  "standby and load requirements of the chosen standard and what voltage"
  "reaches every device."
  ""
  "voltaris-report prints the report of a saved project.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VOLTARIS_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
