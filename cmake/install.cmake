# What a laboratory installs: the program, its help files and the example assay in the share
# folder, the desktop entry and icon for the menu, and the man page; and the Debian package of it
# all, made from the release build by "cpack -G DEB" in build/release.

include(GNUInstallDirs)

install(TARGETS quorin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/help.csv ${PROJECT_SOURCE_DIR}/resources/readme.csv
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quorin)
install(FILES ${PROJECT_SOURCE_DIR}/examples/cortisol.crx ${PROJECT_SOURCE_DIR}/examples/cortisol_counts.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quorin/examples)
install(FILES ${PROJECT_SOURCE_DIR}/resources/quorin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/quorin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The man page carries the version; Debian keeps man pages compressed.
configure_file(${PROJECT_SOURCE_DIR}/resources/quorin.1 ${CMAKE_BINARY_DIR}/quorin.1 @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/quorin.1.gz
                   COMMAND gzip -9 -n -c ${CMAKE_BINARY_DIR}/quorin.1 > ${CMAKE_BINARY_DIR}/quorin.1.gz
                   DEPENDS ${CMAKE_BINARY_DIR}/quorin.1 VERBATIM)
add_custom_target(man_page ALL DEPENDS ${CMAKE_BINARY_DIR}/quorin.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/quorin.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "data reduction of competitive radioimmunoassays")
set(CPACK_PACKAGE_DESCRIPTION
    "From the gamma counts of an assay's tubes QUORIN treats the standards, fits the standard curve
logit(B/B0) against ln(concentration) eight ways, and reads the concentrations of control sera and
samples off the chosen fit. It shows, saves and prints the results, from its screens or from the
command line (quorin --batch).")
set(CPACK_PACKAGE_CONTACT "QUORIN maintainers <quorin@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries come from dpkg-shlibdeps (Qt's X11 and off-screen plugins come with its GUI
# library); what is used without being linked is named here: the Japanese font of the screens
# and the printouts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-translations-l10n")
include(CPack)
