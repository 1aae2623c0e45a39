# Installs what a desktop needs besides the two programs (desktop entry, file
# types, icons, manual pages, package documents) and describes the Debian
# package that `cpack` builds from the install tree.
#
#   cmake --install build --prefix /tmp/root     # the files alone
#   (cd build && cpack)                          # build/veilstore_<version>_<arch>.deb

include(GNUInstallDirs)

set(vls_share ${PROJECT_SOURCE_DIR}/share)
set(vls_packaging_dir ${CMAKE_BINARY_DIR}/packaging)
set(vls_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/veilstore)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Manual pages and the changelog go in compressed with gzip -9n (no name, no
# time stamp), as Debian wants them.
set(vls_gzipped)
function(vls_gzip source output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${vls_packaging_dir}
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${source} ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${source}"
    VERBATIM)
  set(vls_gzipped ${vls_gzipped} ${output} PARENT_SCOPE)
endfunction()

vls_gzip(${vls_share}/man/veilstore-cli.1 ${vls_packaging_dir}/veilstore-cli.1.gz)
vls_gzip(${vls_share}/debian/changelog ${vls_packaging_dir}/changelog.gz)
if(TARGET veilstore)
  vls_gzip(${vls_share}/man/veilstore.1 ${vls_packaging_dir}/veilstore.1.gz)
endif()
add_custom_target(vls_packaging_files ALL DEPENDS ${vls_gzipped})

install(FILES ${vls_packaging_dir}/veilstore-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${vls_share}/debian/copyright ${vls_packaging_dir}/changelog.gz
        DESTINATION ${vls_docdir})

# The desktop side only comes with the desktop program.
if(TARGET veilstore)
  install(FILES ${vls_packaging_dir}/veilstore.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${vls_share}/veilstore.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${vls_share}/mime/veilstore.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  install(FILES ${vls_share}/icons/veilstore.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  # PNG sizes rendered from the SVG by scripts/make-icons.
  install(DIRECTORY ${vls_share}/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
          FILES_MATCHING PATTERN "*.png")
endif()

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veilstore)
set(CPACK_PACKAGE_VENDOR Morvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Morvane <veilstore@morvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keep private files encrypted, view pictures, wipe files")
set(CPACK_PACKAGE_DESCRIPTION
    "Veilstore protects the files of one user on their own computer. It turns
files into password-protected encrypted files (.vlp for pictures, .vld for
other files) and back, wipes files (overwrite, random rename, delete), shows
encrypted pictures without leaving a plain copy on the disk, and opens
encrypted documents with the program the desktop uses for them.

The encrypted file format is an old, simple password scramble: it keeps
casual eyes out, not a determined attacker.

This package holds the desktop program veilstore and the command-line tool
veilstore-cli.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: the runtime packages of the libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The picture formats beyond Qt's own come from the image-format plugins.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins")
include(CPack)
