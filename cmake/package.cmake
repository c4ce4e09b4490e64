# The Debian package: "cpack -G DEB" in the build folder makes
# vestro-zandor_<version>_<arch>.deb with the layout of cmake/install.cmake below /usr.
# The installed program folder is not writable, so the program keeps its files in
# $XDG_CONFIG_HOME/vestro-zandor (see README).
# Packaging follows a build: it does not rebuild every target (the tests, the benchmarks)
# before it installs.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# Named in the package, its copyright file and its changelog. Set it to whoever answers for
# the package you hand on: -DVZ_PACKAGE_MAINTAINER="Name <address>".
set(VZ_PACKAGE_MAINTAINER "Vestro Zandor maintainers <maintainers@vestro-zandor.org>"
    CACHE STRING "Maintainer of the Debian package: Name <address>")
if(NOT VZ_PACKAGE_MAINTAINER MATCHES "^[^<>@]*[^<>@ ] <[^<>@ ]+@[^<>@ ]+\\.[^<>@ .]+>$")
    message(FATAL_ERROR "VZ_PACKAGE_MAINTAINER must read \"Name <user@host.domain>\", not "
                        "\"${VZ_PACKAGE_MAINTAINER}\"")
endif()

# Copyright and changelog where Debian looks for them, the changelog compressed as Debian
# wants it (gzip -9, without name and time stamp).
if(UNIX AND NOT APPLE)
    set(vz_doc ${CMAKE_BINARY_DIR}/debian)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/copyright.in ${vz_doc}/copyright @ONLY)
    string(TIMESTAMP VZ_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${vz_doc}/changelog @ONLY)
    find_program(VZ_GZIP gzip REQUIRED)
    execute_process(COMMAND ${VZ_GZIP} -9n -c ${vz_doc}/changelog
                    OUTPUT_FILE ${vz_doc}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
    install(FILES ${vz_doc}/copyright ${vz_doc}/changelog.gz DESTINATION share/doc/vestro-zandor)
endif()

set(CPACK_PACKAGE_NAME "vestro-zandor")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vestro Zandor")
set(CPACK_PACKAGE_CONTACT "${VZ_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Gas flame effect firing: write, preview, print, transfer and fire box programs")
# Debian shows the description in lines of at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION
    "Desktop tool for a gas flame effect firing system: writes the programs of
one box of gas modules, keeps them as .kvx projects, previews and prints
them, transfers them to the master module over a serial port and fires
live. Includes vzctl, the command-line tool.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Libraries come from dpkg-shlibdeps; what is loaded at run time (the platform plugin) and the
# fonts the sheet is laid out with are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-gtk-platformtheme")

include(CPack)
