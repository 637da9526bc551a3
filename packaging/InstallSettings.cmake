# Run by `cmake --install` and by cpack: installs the default settings file and links it into
# the programs' folder, where they look for it.
#
# Debian keeps what an administrator edits under /etc, and dpkg keeps their changes over an
# upgrade. The folder is chosen now, for the prefix in force at install time, as GNUInstallDirs
# chooses it (/etc for /usr, PREFIX/etc otherwise): cpack installs under /usr whatever prefix
# the build tree was configured with, and `cmake --install --prefix` may move it too.
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(settings_folder "/etc/tamrex")
else()
  set(settings_folder "${CMAKE_INSTALL_PREFIX}/etc/tamrex")
endif()

# Installing again must not throw away settings that were tuned or calibrated by hand.
if(EXISTS "$ENV{DESTDIR}${settings_folder}/Tamrex.ini")
  message(STATUS "Keeping: $ENV{DESTDIR}${settings_folder}/Tamrex.ini (it may hold your own settings)")
else()
  file(INSTALL DESTINATION "${settings_folder}" TYPE FILE FILES "${tamrex_default_settings}")
endif()

set(program_folder "${CMAKE_INSTALL_PREFIX}/${tamrex_program_folder}")
file(RELATIVE_PATH link_target "${program_folder}" "${settings_folder}/Tamrex.ini")
message(STATUS "Installing: $ENV{DESTDIR}${program_folder}/Tamrex.ini -> ${link_target}")
file(MAKE_DIRECTORY "$ENV{DESTDIR}${program_folder}")
file(CREATE_LINK "${link_target}" "$ENV{DESTDIR}${program_folder}/Tamrex.ini" SYMBOLIC)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "$ENV{DESTDIR}${program_folder}/Tamrex.ini")
