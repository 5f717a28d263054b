# What `cmake --install` puts under the prefix, and the Debian package of the
# same files built by `cpack -G DEB`. Each program of `za2vu_programs` brings
# its binary, its manual page doc/NAME.1 (compressed at build time, as
# Debian's manual pages are) and its bash completion completion/NAME.
#
# Everything is installed as the component `za2vu`; the package adds the
# Debian changelog and lintian's overrides, the component `debian`, which a
# plain install leaves out.
# The package's staging install therefore writes install_manifest_za2vu.txt
# and install_manifest_debian.txt, and install_manifest.txt keeps what the
# last `cmake --install` put under its prefix, for `uninstall`.
include(GNUInstallDirs)

set(za2vu_programs za2vu zocheck zosim)
set(za2vu_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/za2vu)
set(za2vu_completion_dir ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# First of all, the record of the folders that the install makes, for
# `uninstall`.
set(za2vu_install_folders ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_MANDIR}/man1
  ${CMAKE_INSTALL_MANDIR}/man5 ${za2vu_completion_dir} ${za2vu_doc_dir})
set(za2vu_folders_record ${CMAKE_CURRENT_BINARY_DIR}/install_folders.txt)
install(CODE "set(record [==[${za2vu_folders_record}]==])
  set(folders [==[${za2vu_install_folders}]==])
  include([==[${CMAKE_CURRENT_SOURCE_DIR}/install_folders.cmake]==])"
  COMPONENT za2vu)

function(za2vu_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9 -n -c ${source} > ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${source}")
endfunction()

set(compressed_files)
foreach(program IN LISTS za2vu_programs)
  set(man_page ${CMAKE_CURRENT_BINARY_DIR}/${program}.1.gz)
  za2vu_gzip(${CMAKE_CURRENT_SOURCE_DIR}/doc/${program}.1 ${man_page})
  list(APPEND compressed_files ${man_page})
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT za2vu)
  install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT za2vu)
  install(FILES completion/${program} DESTINATION ${za2vu_completion_dir} COMPONENT za2vu)
endforeach()

# The reference of the zo format, in the section of file formats.
set(format_page ${CMAKE_CURRENT_BINARY_DIR}/zo.5.gz)
za2vu_gzip(${CMAKE_CURRENT_SOURCE_DIR}/doc/zo.5 ${format_page})
list(APPEND compressed_files ${format_page})
install(FILES ${format_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man5 COMPONENT za2vu)

# The licence in Debian's machine-readable copyright format: each line of
# LICENSE indented by one blank, an empty line written " .".
file(READ LICENSE license_text)
string(REGEX REPLACE "\n$" "" license_text "${license_text}")
string(REGEX REPLACE "\n\n" "\n.\n" license_text "${license_text}")
string(REGEX REPLACE "\n" "\n " license_text "${license_text}")
set(copyright_file ${CMAKE_CURRENT_BINARY_DIR}/copyright)
file(WRITE ${copyright_file}
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: za2vu\n\n"
  "Files: *\n"
  "Copyright: 2026 the za2vu authors\n"
  "License: Expat\n ${license_text}\n")
install(FILES ${copyright_file} DESTINATION ${za2vu_doc_dir} COMPONENT za2vu)

set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz)
za2vu_gzip(${CMAKE_CURRENT_SOURCE_DIR}/package/changelog.Debian ${changelog})
list(APPEND compressed_files ${changelog})
install(FILES ${changelog} DESTINATION ${za2vu_doc_dir} COMPONENT debian EXCLUDE_FROM_ALL)
# The package is built here, not uploaded to Debian: no bug report asks for
# it, so its first changelog entry closes none.
install(FILES package/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
  RENAME za2vu COMPONENT debian EXCLUDE_FROM_ALL)
# Everything installed, built by `ninja installed_files`: cpack builds no
# more than that, not the tests.
add_custom_target(installed_files ALL DEPENDS ${compressed_files})
add_dependencies(installed_files ${za2vu_programs})
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# Removes every file that the last `cmake --install` of this build listed in
# its manifest, then the folders that the installs made and that are left
# empty.
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -D manifest=${CMAKE_CURRENT_BINARY_DIR}/install_manifest.txt
    -D folders=${za2vu_folders_record} -P ${CMAKE_CURRENT_SOURCE_DIR}/uninstall.cmake
  COMMENT "Removing the files of the last install")

set(CPACK_PACKAGE_NAME za2vu)
set(CPACK_PACKAGE_CONTACT "za2vu developers <developers@za2vu.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "list, parse, print, transform, check and run zo dataflow programs")
set(CPACK_PACKAGE_DESCRIPTION
  "za2vu reads one zo program and lists its tokens, parses it, prints it back\nin the zo layout, or simplifies, flattens, cleans it or builds a\nproperty-harness node, printing the result byte for byte.\n.\nzocheck reads zo programs with the same reader and reports every error\nat once, each with its place, as text or as JSON.\n.\nzosim runs a node step by step on inputs from a CSV file or drawn at\nrandom, prints its flows as CSV or a Value Change Dump, checks its\nassertions and properties, and compares two programs on the same inputs.\n.\nThe manual page zo(5) describes the format.")
set(CPACK_INSTALL_CMAKE_PROJECTS
  "${CMAKE_CURRENT_BINARY_DIR};za2vu;za2vu;/"
  "${CMAKE_CURRENT_BINARY_DIR};za2vu;debian;/")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
