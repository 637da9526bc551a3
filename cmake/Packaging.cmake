# Where Tamrex installs, and how `cpack` packs that as a Debian package.
#
# Both programs read Tamrex.ini from the folder of their own executable, links followed. So
# they live in a folder of their own, the one Debian gives an application's private files
# (/usr/lib/PACKAGE), beside a link to the settings file, and bin/ holds relative links to
# them. The folder is not the multiarch library folder, so that a package built from any
# build tree lays the same files out.
include(GNUInstallDirs)

set(TAMREX_INSTALL_PROGRAMDIR "lib/tamrex" CACHE STRING
    "Folder, under the install prefix, of the programs and the link to their settings file")

# Installs a program into the programs' folder, with a relative link to it in bin/.
function(tamrex_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION "${TAMREX_INSTALL_PROGRAMDIR}")
  file(RELATIVE_PATH link_target "/${CMAKE_INSTALL_BINDIR}" "/${TAMREX_INSTALL_PROGRAMDIR}/${target}")
  set(link "${PROJECT_BINARY_DIR}/install-links/${target}")
  file(MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/install-links")
  file(CREATE_LINK "${link_target}" "${link}" SYMBOLIC)
  install(FILES "${link}" DESTINATION "${CMAKE_INSTALL_BINDIR}")
endfunction()

set(TAMREX_PACKAGE_MAINTAINER "Tamrex maintainers <maintainers@users.noreply.c-seed-914dd02a.example>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamrex)
set(CPACK_PACKAGE_VENDOR "Tamrex")
set(CPACK_PACKAGE_CONTACT "${TAMREX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "count the boards in a photo of a stacked book of boards")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tamrex counts the boards (MDF, plywood) in a photo of a stacked book of boards seen\n"
    "edge-on, from the dark gap lines between them. The window 'tamrex' lists the JPEG\n"
    "photos of a folder and counts the one selected, showing the photo beside a map of\n"
    "the lines found; 'tamrex-count' does the same on the command line, for one photo or\n"
    "a batch, with JSON or CSV reports and a calibration of the settings from photos\n"
    "whose boards were counted by hand.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package installs under /usr, so the settings file goes to /etc (see
# packaging/InstallSettings.cmake); as a conffile, an administrator's changes to it survive an
# upgrade.
file(WRITE "${PROJECT_BINARY_DIR}/debian/conffiles" "/etc/tamrex/Tamrex.ini\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_BINARY_DIR}/debian/conffiles")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
