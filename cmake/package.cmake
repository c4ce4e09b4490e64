# The Debian package: "cpack -G DEB" in the build folder makes
# vestro-zandor_<version>_<arch>.deb with the layout of cmake/install.cmake below /usr.
# The installed program folder is not writable, so the program keeps its files in
# $XDG_CONFIG_HOME/vestro-zandor (see README).
# Packaging follows a build: it does not rebuild every target (the tests, the benchmarks)
# before it installs.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_PACKAGE_NAME "vestro-zandor")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vestro Zandor")
set(CPACK_PACKAGE_CONTACT "Vestro Zandor developers <vestro-zandor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Gas flame effect firing: write, preview, print, transfer and fire box programs")
set(CPACK_PACKAGE_DESCRIPTION
    "Desktop tool for a gas flame effect firing system: writes the programs of one box of gas
modules, keeps them as .kvx projects, previews and prints them, transfers them to the
master module over a serial port and fires live. Includes vzctl, the command-line tool.")
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
