# Installing beside the programs and the data folder: the menu entry, its
# icon, the AppStream metadata, the manual pages and the documents, and the
# Debian package (`make package`) that carries all of it.
include(GNUInstallDirs)

set(VELMORA_APP_ID org.velmora.Velmora)
set(VELMORA_PACKAGE_MAINTAINER "VELMORA developers <velmora@example.org>" CACHE STRING
  "Maintainer named in the Debian package")
set(VELMORA_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(VELMORA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/velmora)

install(FILES ${VELMORA_PACKAGING_DIR}/${VELMORA_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VELMORA_PACKAGING_DIR}/velmora.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${VELMORA_PACKAGING_DIR}/${VELMORA_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages: scdoc sources, compressed without a time stamp so that the
# same sources give the same bytes.
find_program(SCDOC scdoc)
find_program(GZIP gzip REQUIRED)
if(SCDOC)
  set(VELMORA_MAN_PAGES)
  foreach(page velmora velmora-spectra velmora-script)
    set(src ${VELMORA_PACKAGING_DIR}/${page}.1.scd)
    set(out ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND sh -c "'${SCDOC}' < '${src}' | '${GZIP}' -9n > '${out}'"
      DEPENDS ${src}
      COMMENT "Writing the manual page ${page}(1)"
      VERBATIM)
    list(APPEND VELMORA_MAN_PAGES ${out})
  endforeach()
  add_custom_target(velmora_man_pages ALL DEPENDS ${VELMORA_MAN_PAGES})
  install(FILES ${VELMORA_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "scdoc not found: the manual pages are neither built nor installed")
endif()

configure_file(${VELMORA_PACKAGING_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${GZIP} -9nf ${CMAKE_BINARY_DIR}/packaging/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(velmora_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/velmora-spectra.md
  ${VELMORA_PACKAGING_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${VELMORA_DOC_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/README.md DESTINATION ${VELMORA_DOC_DIR} RENAME data.md)

# The Debian package, velmora_<version>_amd64.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "VELMORA developers")
set(CPACK_PACKAGE_CONTACT ${VELMORA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "elastic response spectra of earthquake records")
# The long description, below the summary line; paragraphs apart by a blank
# line.
set(CPACK_PACKAGE_DESCRIPTION
  "VELMORA computes and plots the elastic response spectra of a damped
single-degree-of-freedom oscillator driven by recorded ground
accelerations: spectral displacement, spectral velocity, pseudo spectral
velocity and spectral acceleration at 160 natural periods from 0.1 s to
8.05 s, together with the ground acceleration time history.

The desktop program runs one record for several damping ratios, or up to
nine records for one damping ratio. velmora-spectra computes spectra of
many record files at once from the command line (MAT-files, PEER NGA AT2
files, text and CSV files) and writes CSV, JSON and figures.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELMORA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Fonts are looked up by name, not linked: the fallback face always, the
# faces the layouts were made with when they can be had.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
