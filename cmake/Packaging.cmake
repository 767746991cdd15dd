# cpack -G DEB: a Debian package of what `cmake --install` installs, under /usr. Its dependencies
# (Qt 6, pugixml, libzip, libarchive, the C++ runtime) come from dpkg-shlibdeps on the programs
# themselves; nlohmann-json is headers only and needed to build, not to run.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The project has no mail address of its own yet; the field names who maintains it.
set(CPACK_PACKAGE_CONTACT "The Vantor developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pick the MAME games for a front end's menu")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantor filters MAME's game listing (optionally merged with catver.ini, nplayers.ini and\n"
    "controls.xml) through tick-box criteria or a small search language, and writes the result\n"
    "as the game list of a front end: AdvanceMenu, Atomic FE, Attract Mode, Cabrio, HyperSpin,\n"
    "Khameleon, MaLa, MAMEUIFX, MAMEWah, Maximus Arcade, mGalaxy, MultiFE, or XML, CSV and plain\n"
    "lists. It comes as a desktop program (vantor) and as vantor-cli for terminals.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# MAME gives the listing that everything starts from, but a listing made elsewhere works too.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS mame)
include(CPack)
