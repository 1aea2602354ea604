# SPDX-License-Identifier: BSD-2-Clause
# What `cmake --install` puts in place, and the .deb that CPack makes of it.
include(GNUInstallDirs)

set(BROVANTEN_PROGRAMS brovanten brovanten-factor)
set(BROVANTEN_MAN_PAGES docs/brovanten.1 docs/brovanten-factor.1
  docs/brovanten-check-certificate.1)

install(TARGETS ${BROVANTEN_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The checker of results.fic's certificates, a Python 3 script.
install(PROGRAMS scripts/check-certificate DESTINATION ${CMAKE_INSTALL_BINDIR}
  RENAME brovanten-check-certificate)

# Manual pages and the changelog go in compressed, as Debian wants them;
# -n leaves the name and time out of the gzip header, so builds repeat.
find_program(GZIP gzip REQUIRED)
set(compressed)
foreach(page IN LISTS BROVANTEN_MAN_PAGES)
  get_filename_component(name ${page} NAME)
  add_custom_command(OUTPUT ${name}.gz
    COMMAND ${GZIP} -9n -c ${PROJECT_SOURCE_DIR}/${page} > ${name}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/${page} VERBATIM)
  install(FILES ${PROJECT_BINARY_DIR}/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  list(APPEND compressed ${name}.gz)
endforeach()
add_custom_command(OUTPUT changelog.gz
  COMMAND ${GZIP} -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(brovanten_docs ALL DEPENDS ${compressed} changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz packaging/copyright
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME brovanten)
set(CPACK_PACKAGE_VENDOR "the Brovanten developers")
set(CPACK_PACKAGE_CONTACT "Brovanten developers <brovanten@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://brovanten.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "factors Carmichael numbers and other pseudoprimes")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${PROJECT_SOURCE_DIR}/packaging/description)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# dpkg-shlibdeps derives the runtime dependencies (libgmp10, libstdc++6, libc6);
# the certificate checker needs Python 3.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
