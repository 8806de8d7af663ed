# The Debian package of both programs, made by CPack from the install rules (scripts/package.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmarsk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Velmarsk developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "personal flight-hours logbook for aircrew")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(VELMARSK_PACKAGE_MAINTAINER "The Velmarsk developers <velmarsk@invalid>"
  CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELMARSK_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends from the libraries the programs link, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The long description below the summary; CPack indents it for the control file.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Velmarsk keeps one pilot's logbook: every flight with its date, crew, aircraft,
block times, day and night time categories, procedures, routing and a comment
that a password can protect. It walks through the logbook in date order, adds
up totals against the yearly requirements, searches, charts and prints.
The user interface is German.
.
velmarsk-cli works on the same files from the command line.")

include(CPack)
