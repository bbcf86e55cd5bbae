# Installation and the Debian package. The executables install themselves;
# here the desktop entry and icon, the manual pages, the help pages (also
# compiled into the program), the bridge's service and sample config, and the
# package's changelog and copyright.
include(GNUInstallDirs)
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(packaging_dir ${CMAKE_CURRENT_LIST_DIR})

# Compresses SOURCE into DIR/NAME.gz at build time as Debian wants it: best
# compression, no name or time stamp inside.
set(compressed_files)
function(tarvin_gzip source dir)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${dir}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${dir}/${name}
    COMMAND ${GZIP_EXECUTABLE} -9nf ${dir}/${name}
    DEPENDS ${source} VERBATIM)
  set(compressed_files ${compressed_files} ${dir}/${name}.gz PARENT_SCOPE)
endfunction()

file(GLOB man_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/*.1)
foreach(page ${man_pages})
  tarvin_gzip(${page} ${CMAKE_BINARY_DIR}/man)
  get_filename_component(name ${page} NAME)
  install(FILES ${CMAKE_BINARY_DIR}/man/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
tarvin_gzip(${packaging_dir}/changelog ${CMAKE_BINARY_DIR}/doc)
add_custom_target(compressed_docs ALL DEPENDS ${compressed_files})

set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/tarvin-diagnostic)
install(FILES ${CMAKE_BINARY_DIR}/doc/changelog.gz ${packaging_dir}/copyright DESTINATION ${doc_dir})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/gui/help/ DESTINATION ${doc_dir}/help
  FILES_MATCHING PATTERN "*.html")
install(FILES ${packaging_dir}/tarvin-diagnostic.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${packaging_dir}/tarvin-diagnostic.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The bridge's service, installed but neither enabled nor started.
install(FILES ${packaging_dir}/tarvin-bridge.service DESTINATION lib/systemd/system)
# Its sample config goes to /etc under the /usr prefix (the package, where it
# is a conffile) and to PREFIX/etc under any other; the prefix is only known
# at install time.
install(CODE "
  set(etc_dir \"\${CMAKE_INSTALL_PREFIX}/etc\")
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(etc_dir /etc)
  endif()
  file(INSTALL DESTINATION \"\${etc_dir}/tarvin\" TYPE FILE
    FILES \"${packaging_dir}/tarvin-bridge.conf\")")
file(WRITE ${CMAKE_BINARY_DIR}/debian/conffiles "/etc/tarvin/tarvin-bridge.conf\n")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvin-diagnostic)
set(CPACK_PACKAGE_VENDOR "Ostrel")
set(CPACK_PACKAGE_CONTACT "Tarvin Diagnostic developers <tarvin-diagnostic@ostrel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Diagnostic workbench for the Tarvin home-automation field bus")
# Wrapped by hand: Debian wants the long description's lines under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION [[
Connects to a Tarvin network through a PCI on a serial port or a
Socketbox over TCP, shows every message as one line of plain English,
sends commands, reads unit identities, runs network status inquiries
and analyses traffic.

Includes the command-line decoder, an unattended capture tool, a
simulated interface unit and a bridge that mirrors the bus to an MQTT
broker, with a systemd service for it that is installed disabled.]])
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
