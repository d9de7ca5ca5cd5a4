# Read by cpack before each generator runs (CPACK_PROJECT_CONFIG_FILE): what the builder's
# environment must not change, and what each package holds.

# Archive and package times come from the commit; zip's times are local times, so the time zone is
# fixed too.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_POLYEVAL_SOURCE_DATE_EPOCH})
set(ENV{TZ} UTC)

# What each package takes of the install (the parts cmake/packaging.cmake names): the .deb Debian's
# own files and no Markdown pages where HTML pages are rendered; an archive on Linux the
# documentation at its top, beside bin, in place of share/doc/polyeval; every other package what
# `cmake --install` installs.
set(parts "")
if(CPACK_GENERATOR STREQUAL "DEB")
  set(parts Unspecified docs debian)
elseif(NOT CPACK_GENERATOR STREQUAL "RPM" AND CPACK_POLYEVAL_ARCHIVE_DOCS)
  set(parts Unspecified archive)
endif()
if(parts)
  set(CPACK_INSTALL_CMAKE_PROJECTS "")
  foreach(part IN LISTS parts)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${CPACK_POLYEVAL_BINARY_DIR} polyeval ${part} /)
  endforeach()
endif()

# The .deb and the .rpm install under the distributions' prefix, which their doc-base entry and man
# page name; an archive unpacks anywhere, and its man page names the explanation below its top
# folder (cmake/install-man-page.cmake reads POLYEVAL_RELOCATABLE).
if(CPACK_GENERATOR MATCHES "^(DEB|RPM)$")
  set(CPACK_PACKAGING_INSTALL_PREFIX ${CPACK_POLYEVAL_SYSTEM_PREFIX})
  unset(ENV{POLYEVAL_RELOCATABLE})
else()
  set(ENV{POLYEVAL_RELOCATABLE} 1)
endif()
