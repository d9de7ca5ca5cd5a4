# Installation and packages. `cmake --install` puts bin/polyeval (polyeval.exe on Windows) under
# the prefix, and beside the README every page its links reach, in Markdown and, where they are
# rendered, as HTML pages, with the scripts the pages name: on Linux the man page, and README,
# LICENSE and docs/ under share/doc/polyeval; on Windows README.txt and LICENSE.txt with CR LF line
# ends, README.html and docs/, beside bin. `cpack` writes what the generators of the package presets
# ask for: .deb and .rpm (the Debian files come only into the .deb, which leaves out the Markdown
# where the HTML pages are its reading copy), .tar.gz (the README at its top, beside bin), or .zip
# on Windows; the same bytes from every build of one commit, whatever the builder's umask, time zone
# or locale.
#
# The parts of the install, which cmake/cpack-generator.cmake picks for each package:
#   Unspecified  the program and the man page
#   docs         the documentation beside the README, but for its Markdown pages where HTML pages are
#                rendered
#   markdown     those Markdown pages
#   archive      on Linux, the documentation of docs and markdown again, at the top of the prefix,
#                for an archive (EXCLUDE_FROM_ALL)
#   debian       Debian's copyright, changelog and doc-base entries (EXCLUDE_FROM_ALL)
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

# Installed files and folders get fixed permissions whatever the umask: rwxr-xr-x for folders and
# the program (also those that cpack makes), rw-r--r-- for everything else.
set(POLYEVAL_PROGRAM_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(POLYEVAL_FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${POLYEVAL_PROGRAM_PERMISSIONS})
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${POLYEVAL_PROGRAM_PERMISSIONS})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/cpack-folder-modes.cmake
                            ${PROJECT_SOURCE_DIR}/cmake/cpack-strip-comment.cmake)
install(TARGETS polyeval RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} PERMISSIONS ${POLYEVAL_PROGRAM_PERMISSIONS})

# Writes a gzip file of input at output, with no name or time in its header.
function(polyeval_gzip input output)
  execute_process(COMMAND gzip -9nc INPUT_FILE ${input} OUTPUT_FILE ${output} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip could not compress ${input}")
  endif()
endfunction()

# Installs files as documentation in folder, a path beside the README (. for its own), readable by
# all, as part component of the install; on Linux also as part archive, at the top of the prefix.
function(polyeval_install_docs folder component)
  cmake_path(APPEND readme_dir ${folder} OUTPUT_VARIABLE destination)
  cmake_path(NORMAL_PATH destination)
  install(FILES ${ARGN} DESTINATION ${destination} PERMISSIONS ${POLYEVAL_FILE_PERMISSIONS} COMPONENT ${component})
  if(NOT WIN32)
    install(FILES ${ARGN} DESTINATION ${folder} PERMISSIONS ${POLYEVAL_FILE_PERMISSIONS} COMPONENT archive
            EXCLUDE_FROM_ALL)
  endif()
endfunction()

# Writes Debian's two documentation files into doc_dir: the license as copyright, in its
# machine-readable form (the text indented by one space, " ." for an empty line), and a changelog.
function(polyeval_write_debian_docs doc_dir)
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
  string(STRIP "${license_text}" license_text)
  string(REPLACE "\n\n" "\n.\n" license_text "${license_text}")
  string(REPLACE "\n" "\n " license_text " ${license_text}")
  file(WRITE ${doc_dir}/copyright
       "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\nUpstream-Name: polyeval\n\n"
       "Files: *\nCopyright: 2026 the polyeval authors\nLicense: Expat\n${license_text}\n")
  string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  file(WRITE ${doc_dir}/changelog
       "polyeval (${PROJECT_VERSION}) unstable; urgency=medium\n\n  * Release ${PROJECT_VERSION}.\n\n"
       " -- ${CPACK_PACKAGE_CONTACT}  ${date}\n")
  polyeval_gzip(${doc_dir}/changelog ${doc_dir}/changelog.gz)
endfunction()

# Registers HTML documentation with Debian's doc-base, for the .deb alone: the document name, its
# title and abstract (continuation lines start with a space), and its pages beside the README, the
# first its index, named where the .deb installs them, whatever prefix the build tree has.
function(polyeval_doc_base name title abstract index)
  set(installed ${POLYEVAL_SYSTEM_PREFIX}/${CMAKE_INSTALL_DOCDIR})
  list(TRANSFORM ARGN PREPEND ${installed}/ OUTPUT_VARIABLE others)
  string(JOIN " " files ${installed}/${index} ${others})
  file(WRITE ${doc_dir}/${name}.doc-base
       "Document: ${name}\nTitle: ${title}\nAuthor: the polyeval authors\nAbstract: ${abstract}\n"
       "Section: Science/Mathematics\n\nFormat: HTML\nIndex: ${installed}/${index}\nFiles: ${files}\n")
  install(FILES ${doc_dir}/${name}.doc-base DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base RENAME ${name}
          PERMISSIONS ${POLYEVAL_FILE_PERMISSIONS} COMPONENT debian EXCLUDE_FROM_ALL)
endfunction()

# Writes the RPM changelog, one entry per release, to file.
function(polyeval_write_rpm_changelog file)
  string(TIMESTAMP date "%a %b %d %Y" UTC)
  file(WRITE ${file} "* ${date} ${CPACK_PACKAGE_CONTACT} - ${PROJECT_VERSION}-1\n- Release ${PROJECT_VERSION}.\n")
endfunction()

# The prefix of the .deb and the .rpm, whatever CMAKE_INSTALL_PREFIX the build tree has (the default
# tree's is /usr/local, for `cmake --install`): the distributions' own. cmake/cpack-generator.cmake
# gives it to their generators.
set(POLYEVAL_SYSTEM_PREFIX /usr)

set(CPACK_PACKAGE_NAME polyeval)
set(CPACK_PACKAGE_VENDOR "the polyeval authors")
set(CPACK_PACKAGE_CONTACT "The polyeval authors <polyeval@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "shows what IEEE 754 arithmetic gives for one badly conditioned polynomial")
set(CPACK_PACKAGE_DESCRIPTION "polyeval evaluates f(x, y) = 83521 y^8 + 578 x^2 y^4 - 2 x^4 + 2 x^6 - x^8
at x = 9478657, y = 2298912 four ways (binary32 operands, binary64 twice,
binary64 with reused powers) and prints four lines. The terms cancel so
completely that every line is pure rounding error, the same on every machine.
It is meant for teaching and testing floating-point behaviour.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

# The documentation (docs/pages.txt, read by cmake/html-docs.cmake): the files the README links to,
# and those they link to or name, by their path beside it, but for the README and the license, which
# each platform installs in its own way; and the HTML pages (POLYEVAL_HTML_PAGES) where they are
# rendered, which then are the reading copy, the Markdown pages their sources.
set(POLYEVAL_LINKED_PAGES ${POLYEVAL_DOCS_explanation} ${POLYEVAL_DOCS_maintainers})
set(POLYEVAL_LINKED_FILES ${POLYEVAL_DOCS_figure} ${POLYEVAL_DOCS_script} ${POLYEVAL_DOCS_drawing} ${POLYEVAL_DOCS_module})
set(markdown docs)
if(POLYEVAL_HTML_PAGES)
  set(markdown markdown)
endif()
# The explanation's first page, which the man page names in the form that is installed.
list(GET POLYEVAL_DOCS_explanation 0 POLYEVAL_EXPLANATION)
if(POLYEVAL_HTML_PAGES)
  string(REGEX REPLACE "\\.md$" ".html" POLYEVAL_EXPLANATION ${POLYEVAL_EXPLANATION})
endif()

# The browser page (POLYEVAL_PAGE, cmake/html-docs.cmake) goes beside the README; its link to
# docs/numbers.html resolves there.
set(doc_dir ${PROJECT_BINARY_DIR}/package-doc)
if(WIN32)
  set(readme_dir .)  # beside bin
  # Plain text with CR LF line ends: the README as Windows shows it (POLYEVAL_README), with its link
  # to the license under its new name.
  foreach(pair ${POLYEVAL_README}:README.txt ${PROJECT_SOURCE_DIR}/${POLYEVAL_DOCS_license}:${POLYEVAL_DOCS_license}.txt)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 source)
    list(GET pair 1 target)
    file(READ ${source} text)
    string(REPLACE "](LICENSE)" "](LICENSE.txt)" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${doc_dir}/${target} "${text}")
    polyeval_install_docs(. docs ${doc_dir}/${target})
  endforeach()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-${CMAKE_SYSTEM_PROCESSOR})
else()
  set(readme_dir ${CMAKE_INSTALL_DOCDIR})
  install(CODE "set(POLYEVAL_MAN_TEMPLATE \"${PROJECT_SOURCE_DIR}/docs/polyeval.1.in\")
    set(POLYEVAL_MAN_STAGING \"${doc_dir}\")
    set(POLYEVAL_MAN_DESTINATION \"${CMAKE_INSTALL_MANDIR}/man1\")
    set(POLYEVAL_DOC_DIR \"${readme_dir}\")
    set(POLYEVAL_EXPLANATION \"${POLYEVAL_EXPLANATION}\")
    set(POLYEVAL_VERSION \"${PROJECT_VERSION}\")
    set(POLYEVAL_PERMISSIONS ${POLYEVAL_FILE_PERMISSIONS})
    include(\"${PROJECT_SOURCE_DIR}/cmake/install-man-page.cmake\")")
  polyeval_install_docs(. ${markdown} ${POLYEVAL_DOCS_readme})
  polyeval_install_docs(. docs ${POLYEVAL_DOCS_license})
  # Debian's own files, for the .deb alone (cmake/cpack-generator.cmake picks them).
  polyeval_write_debian_docs(${doc_dir})
  install(FILES ${doc_dir}/copyright ${doc_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR}
          PERMISSIONS ${POLYEVAL_FILE_PERMISSIONS} COMPONENT debian EXCLUDE_FROM_ALL)
  # Debian lists HTML documentation in its documentation index (doc-base), where dhelp and the like
  # find it: the explanation with its exercises, and the browser page.
  if(POLYEVAL_HTML_PAGES)
    list(TRANSFORM POLYEVAL_DOCS_explanation REPLACE "\\.md$" ".html" OUTPUT_VARIABLE explanation_pages)
    polyeval_doc_base(polyeval "Why polyeval prints what it prints"
      "Explains each number polyeval prints, step by step: why the terms cancel, how bad the\n evaluation is in advance, where each result comes from, and what gives the right answer."
      ${explanation_pages})
  endif()
  if(POLYEVAL_PAGE)
    polyeval_doc_base(polyeval-browser "polyeval in the browser"
      "Runs polyeval in a web browser and shows every step of its floating-point\n arithmetic, at the program's point or any other, at any significand width."
      polyeval.html)
  endif()
  set(CPACK_GENERATOR DEB TGZ)  # the release's package presets choose their own
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})

  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION math)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # A dynamic program gets its dependencies computed, by dpkg-shlibdeps and by rpm.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The scripts beside the explanation, which compute its numbers, run with these.
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3, python3-mpmath, python3-matplotlib")

  set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
  set(CPACK_RPM_PACKAGE_SUMMARY "Shows what IEEE 754 arithmetic gives for one badly conditioned polynomial")
  set(CPACK_RPM_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
  set(CPACK_RPM_PACKAGE_LICENSE MIT)
  set(CPACK_RPM_PACKAGE_GROUP "Applications/Engineering")
  # The license is the package's license file, which an install without documentation keeps.
  set(CPACK_RPM_USER_FILELIST "%license ${POLYEVAL_SYSTEM_PREFIX}/${CMAKE_INSTALL_DOCDIR}/${POLYEVAL_DOCS_license}")
  set(CPACK_PACKAGE_RELOCATABLE OFF)  # CPack's default makes the .rpm relocatable
  polyeval_write_rpm_changelog(${doc_dir}/rpm-changelog)
  set(CPACK_RPM_CHANGELOG_FILE ${doc_dir}/rpm-changelog)
  # The package owns its own files and folders, no folder that the system provides.
  list(APPEND CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
       ${POLYEVAL_SYSTEM_PREFIX}/${CMAKE_INSTALL_MANDIR} ${POLYEVAL_SYSTEM_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1)
  # The packager, no build host, the commit's time as build time and as the latest file time, and
  # no /usr/lib/.build-id links (folders that other packages share).
  set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_PACKAGE_CONTACT}
%define _buildhost reproducible
%define use_source_date_epoch_as_buildtime 1
%define clamp_mtime_to_source_date_epoch 1
%define _build_id_links none")
endif()

# The pages the README links to, by their path beside it, the same as HTML, what they show and name
# beside them, and the browser page.
polyeval_install_docs(docs ${markdown} ${POLYEVAL_LINKED_PAGES})
polyeval_install_docs(docs docs ${POLYEVAL_LINKED_FILES})
if(POLYEVAL_HTML_PAGES)
  set(html_docs ${POLYEVAL_HTML_PAGES})
  list(FILTER html_docs INCLUDE REGEX "/docs/[^/]*$")
  string(REGEX REPLACE "\\.md$" ".html" readme_page ${POLYEVAL_DOCS_readme})
  polyeval_install_docs(. docs ${POLYEVAL_HTML_DIR}/${readme_page})
  polyeval_install_docs(docs docs ${html_docs})
endif()
if(POLYEVAL_PAGE)
  polyeval_install_docs(. docs ${POLYEVAL_PAGE})
endif()

# cpack runs later, in an environment of its own: cmake/cpack-generator.cmake sets the time stamp,
# the time zone and what each generator packs, from these.
set(CPACK_POLYEVAL_SOURCE_DATE_EPOCH ${POLYEVAL_SOURCE_DATE_EPOCH})
set(CPACK_POLYEVAL_BINARY_DIR ${PROJECT_BINARY_DIR})
set(CPACK_POLYEVAL_SYSTEM_PREFIX ${POLYEVAL_SYSTEM_PREFIX})
set(CPACK_POLYEVAL_ARCHIVE_DOCS OFF)  # on Windows the documentation is at the top of the prefix already
if(NOT WIN32)
  set(CPACK_POLYEVAL_ARCHIVE_DOCS ON)
  set(CPACK_POLYEVAL_OBJCOPY ${CMAKE_OBJCOPY})
endif()
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack-generator.cmake)
include(CPack)
