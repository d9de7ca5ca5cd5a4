# Installation and packages. `cmake --install` puts bin/polyeval (polyeval.exe on Windows) under
# the prefix; on Linux also the man page and the README and license under share, on Windows
# README.txt and LICENSE.txt with CR LF line ends beside bin. `cpack` writes a .deb and a .tar.gz
# on Linux, a .zip on Windows: the same bytes from every build of one commit.
include(GNUInstallDirs)

# Time stamps: the last commit's time (or SOURCE_DATE_EPOCH if set), so that nothing depends on
# when the build ran. Outside git, a fixed date: 2026-01-01T00:00:00Z.
set(POLYEVAL_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(NOT POLYEVAL_SOURCE_DATE_EPOCH)
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE POLYEVAL_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT POLYEVAL_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  set(POLYEVAL_SOURCE_DATE_EPOCH 1767225600)
endif()
set(ENV{SOURCE_DATE_EPOCH} ${POLYEVAL_SOURCE_DATE_EPOCH})  # string(TIMESTAMP) reads it

# Installed files get fixed permissions whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS polyeval RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Writes a gzip file of input at output, with no name or time in its header.
function(polyeval_gzip input output)
  execute_process(COMMAND gzip -9nc INPUT_FILE ${input} OUTPUT_FILE ${output} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${input}")
  endif()
endfunction()

set(doc_dir ${PROJECT_BINARY_DIR}/package-doc)
if(WIN32)
  foreach(pair README.md:README.txt LICENSE:LICENSE.txt)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 source)
    list(GET pair 1 target)
    file(READ ${PROJECT_SOURCE_DIR}/${source} text)
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${doc_dir}/${target} "${text}")
    install(FILES ${doc_dir}/${target} DESTINATION .)
  endforeach()
else()
  configure_file(${PROJECT_SOURCE_DIR}/docs/polyeval.1.in ${doc_dir}/polyeval.1 @ONLY)
  polyeval_gzip(${doc_dir}/polyeval.1 ${doc_dir}/polyeval.1.gz)
  install(FILES ${doc_dir}/polyeval.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # Debian's names: the license as copyright, in its machine-readable form, and a changelog.
  # Its license text is indented by one space, with " ." for an empty line.
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
  string(STRIP "${license_text}" license_text)
  string(REPLACE "\n\n" "\n.\n" license_text "${license_text}")
  string(REPLACE "\n" "\n " license_text " ${license_text}")
  file(WRITE ${doc_dir}/copyright
       "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\nUpstream-Name: polyeval\n\n"
       "Files: *\nCopyright: 2026 the polyeval authors\nLicense: Expat\n${license_text}\n")
  string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  file(WRITE ${doc_dir}/changelog
       "polyeval (${PROJECT_VERSION}) unstable; urgency=medium\n\n  * Release ${PROJECT_VERSION}.\n\n"
       " -- The polyeval authors <polyeval@example.org>  ${changelog_date}\n")
  polyeval_gzip(${doc_dir}/changelog ${doc_dir}/changelog.gz)
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES cmake/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME polyeval)
  install(FILES ${doc_dir}/copyright ${doc_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME polyeval)
set(CPACK_PACKAGE_VENDOR "the polyeval authors")
set(CPACK_PACKAGE_CONTACT "The polyeval authors <polyeval@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shows what IEEE 754 arithmetic gives for one badly conditioned polynomial")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-${CMAKE_SYSTEM_PROCESSOR})
else()
  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION math)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The synopsis line comes from the summary above; this is the extended description.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "polyeval evaluates f(x, y) = 83521 y^8 + 578 x^2 y^4 - 2 x^4 + 2 x^6 - x^8
at x = 9478657, y = 2298912 four ways (binary32 operands, binary64 twice,
binary64 with reused powers) and prints four lines. The terms cancel so
completely that every line is pure rounding error, the same on every machine.
It is meant for teaching and testing floating-point behaviour.")
  # A static program needs no shared libraries; a dynamic one gets its dependencies computed.
  if(NOT POLYEVAL_STATIC OR POLYEVAL_SANITIZE)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  endif()
endif()
# cpack runs later, in an environment of its own: it reads the time stamp for the archives here.
file(WRITE ${PROJECT_BINARY_DIR}/CPackTimes.cmake "set(ENV{SOURCE_DATE_EPOCH} ${POLYEVAL_SOURCE_DATE_EPOCH})\n")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackTimes.cmake)
include(CPack)
