# Installing: the program, its data library, the registration tool, the
# samples, the manual, the icons and the menu entry, in the usual places of
# a Linux desktop; and the Debian package of all of it (make package).
include(GNUInstallDirs)

set(ANNALUX_DATADIR ${CMAKE_INSTALL_DATADIR}/annalux)
set(ANNALUX_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/annalux)

# The data library is the program's own: it lives in a folder of its own,
# which the program finds relative to itself wherever the tree is installed.
file(RELATIVE_PATH bin_to_lib /${CMAKE_INSTALL_BINDIR} /${ANNALUX_PRIVATE_LIBDIR})
set_target_properties(annalux PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")

install(TARGETS annalux AssocSetup RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS AnnaluxData80 LIBRARY DESTINATION ${ANNALUX_PRIVATE_LIBDIR} NAMELINK_SKIP)

install(FILES
    ${PROJECT_SOURCE_DIR}/samples/sample.anx
    ${PROJECT_SOURCE_DIR}/samples/nihonshi.lev
    ${PROJECT_SOURCE_DIR}/samples/sekaishi.lev
    ${PROJECT_SOURCE_DIR}/samples/gengou.lgn
    ${PROJECT_SOURCE_DIR}/samples/jidai.ler
    ${PROJECT_SOURCE_DIR}/samples/ieyasu.lby
    DESTINATION ${ANNALUX_DATADIR}/samples)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/app/res/HTMLHelp DESTINATION ${ANNALUX_DATADIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/app/res/icons/hicolor
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# The menu entry names the install folder in Path (the registration tool
# finds the program through it), so it is written when installing, with the
# prefix of that installation.
install(CODE "
    set(bindir \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    set(ANNALUX_BINDIR \"\${bindir}\")
    set(ANNALUX_EXEC \"\${bindir}/annalux\")
    set(ANNALUX_HELP \"\${CMAKE_INSTALL_PREFIX}/${ANNALUX_DATADIR}/HTMLHelp/index.html\")
    configure_file(\"${CMAKE_CURRENT_LIST_DIR}/annalux.desktop.in\"
                   \"${CMAKE_BINARY_DIR}/install/annalux.desktop\" @ONLY)
    file(INSTALL \"${CMAKE_BINARY_DIR}/install/annalux.desktop\"
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
")

# ---- Debian package ----------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME annalux)
set(CPACK_PACKAGE_VENDOR "Veltrin Software")
set(CPACK_PACKAGE_CONTACT "Veltrin Software <support@veltrin.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese chronological tables: build, view, print, publish")
set(CPACK_PACKAGE_DESCRIPTION
    "Annalux builds, shows, prints and publishes Japanese chronological tables (年表) from event, era-name, period and base-year libraries on one year axis.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/datalib)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, xdg-utils, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/postinst ${CMAKE_CURRENT_LIST_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
