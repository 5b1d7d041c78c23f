# The Debian package `fonedesk`, made from the install rules: `cmake --build B --target package`
# writes B/fonedesk_<version>-<release>_<arch>.deb. Named after the program a user starts; it
# carries the control and the tools as well, since none of them is of use without the others.

set(FONERIX_MAINTAINER "Fonerix maintainers <maintainers@users.noreply.c-seed-9de0a34c.example>")

# Files under /etc that the package ships, for dpkg to keep a local change across upgrades and to
# delete only on purge. Install rules elsewhere in the tree add theirs:
#   set_property(GLOBAL APPEND PROPERTY FONERIX_CONFFILES /etc/...)
get_property(fonerix_conffiles GLOBAL PROPERTY FONERIX_CONFFILES)
if(fonerix_conffiles)
  list(REMOVE_DUPLICATES fonerix_conffiles)
  list(JOIN fonerix_conffiles "\n" fonerix_conffiles_text)
  file(WRITE ${PROJECT_BINARY_DIR}/debian/conffiles "${fonerix_conffiles_text}\n")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/conffiles)
endif()

# The Debian changelog and the copyright file, where the package's documents are.
find_program(FONERIX_GZIP gzip REQUIRED)
set(fonerix_changelog ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz)
add_custom_command(
  OUTPUT ${fonerix_changelog}
  COMMAND sh -c "\"$1\" -9nc \"$2\" > \"$3\"" sh ${FONERIX_GZIP}
          ${PROJECT_SOURCE_DIR}/cmake/debian/changelog.Debian ${fonerix_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/debian/changelog.Debian
  VERBATIM)
add_custom_target(fonerix_debian_changelog ALL DEPENDS ${fonerix_changelog})
install(FILES ${fonerix_changelog} ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
        DESTINATION ${FONERIX_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fonedesk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Fonerix developers")
set(CPACK_PACKAGE_CONTACT "${FONERIX_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop companion of a caller-ID telephone set")
set(CPACK_PACKAGE_DESCRIPTION
    "Fonedesk («Звоникс») keeps the call logs and the phone book of a caller-ID
telephone set on a serial port in an ODBC database (SQLite, or PostgreSQL
shared by several PCs), shows the set's calls as they ring, dials, and
changes the set's settings. Its interface is in Russian.
.
The package also carries the device control FONERIX (libfonerix), registered
for every user, the command-line client fonerixctl, fonerix-probe, which says
what it finds on each serial port, fonerix-sim, a simulated telephone set on a
pseudo-terminal, fonerix-regsvr and the data-source setup fndb-setup.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${FONERIX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link come from dpkg-shlibdeps (Qt's widgets, SVG and multimedia
# libraries bring the xcb platform, SVG image and GStreamer backend plugins the window loads).
# Loaded by name at run time, and so named here: the ODBC driver and its installer (fndb-setup
# registers FNDB with the driver "SQLite3"), the GStreamer elements that play a WAV file, Qt's
# Russian translations and the fonts the lists ask for.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libsqliteodbc, odbcinst, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, qt6-translations-l10n, fonts-liberation")
# Under a Wayland session Qt uses its Wayland platform when it is there, XWayland otherwise.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "odbc-postgresql")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
