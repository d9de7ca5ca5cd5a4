# Read by cpack before each generator runs (CPACK_PROJECT_CONFIG_FILE): what the builder's
# environment must not change, and what each package holds.

# Archive and package times come from the commit; zip's times are local times, so the time zone is
# fixed too.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_POLYEVAL_SOURCE_DATE_EPOCH})
set(ENV{TZ} UTC)

# Debian's copyright file and changelog go into the .deb alone; every other package takes what
# `cmake --install` installs.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_INSTALL_CMAKE_PROJECTS
      "${CPACK_POLYEVAL_BINARY_DIR};polyeval;Unspecified;/;${CPACK_POLYEVAL_BINARY_DIR};polyeval;debian;/")
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
