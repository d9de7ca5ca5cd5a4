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
