# What `cmake --install` puts under the prefix, and the Debian package of the
# same files built by `cpack -G DEB`: the program and its manual page, which
# is compressed at build time as Debian's manual pages are.
include(GNUInstallDirs)

set(man_page ${CMAKE_CURRENT_BINARY_DIR}/za2vu.1.gz)
add_custom_command(OUTPUT ${man_page}
  COMMAND gzip -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/doc/za2vu.1 > ${man_page}
  DEPENDS doc/za2vu.1
  COMMENT "Compressing the manual page")
add_custom_target(man_page ALL DEPENDS ${man_page})

install(TARGETS za2vu RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME za2vu)
set(CPACK_PACKAGE_CONTACT "za2vu developers <za2vu@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "list, parse, print and transform zo dataflow programs")
set(CPACK_PACKAGE_DESCRIPTION
  "za2vu reads one zo program and lists its tokens, parses it, prints it back\nin the zo layout, or simplifies, flattens, cleans it or builds a\nproperty-harness node, printing the result byte for byte.")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
