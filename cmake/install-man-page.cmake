# Installs the man page when the install runs, not when the build is configured: its SEE ALSO names
# the explanation where this install puts it. That is under the prefix the install is given
# (`cmake --install build --prefix ~/.local`, /usr in the .deb and .rpm), or, in an archive that
# may be unpacked anywhere (cmake/cpack-generator.cmake sets POLYEVAL_RELOCATABLE in the environment
# for those), below the archive's top folder, which holds the README itself.
#
# Included by the install script (packaging.cmake's install(CODE)), which sets these first:
#   POLYEVAL_MAN_TEMPLATE     docs/polyeval.1.in
#   POLYEVAL_MAN_STAGING      a folder of the build tree where the page is written and compressed
#   POLYEVAL_MAN_DESTINATION  the man page folder below the prefix, share/man/man1
#   POLYEVAL_DOC_DIR          the folder of the README below the prefix, share/doc/polyeval
#   POLYEVAL_EXPLANATION      the explanation's path beside the README, docs/numbers.html
#   POLYEVAL_VERSION          the version the page's title names
#   POLYEVAL_PERMISSIONS      the installed file's permissions

# Sets var to the roff text of the SEE ALSO entry that names the explanation.
function(polyeval_explanation_entry var)
  if("$ENV{POLYEVAL_RELOCATABLE}")
    set(macro ".IR")
    set(path ${POLYEVAL_EXPLANATION})  # the README is at the archive's top
    set(where " ,\nin the folder the archive unpacks to,")
  else()
    set(macro ".I")
    get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
    set(path ${prefix}/${POLYEVAL_DOC_DIR}/${POLYEVAL_EXPLANATION})
    set(where "")
  endif()
  string(REPLACE "-" "\\-" path "${path}")  # in roff "-" is a hyphen; a path's is "\-"
  set(${var} "${macro} ${path}${where}\nexplains the four numbers step by step." PARENT_SCOPE)
endfunction()

polyeval_explanation_entry(POLYEVAL_EXPLANATION_ENTRY)
set(PROJECT_VERSION ${POLYEVAL_VERSION})
configure_file(${POLYEVAL_MAN_TEMPLATE} ${POLYEVAL_MAN_STAGING}/polyeval.1 @ONLY)
execute_process(COMMAND gzip -9nc INPUT_FILE ${POLYEVAL_MAN_STAGING}/polyeval.1
                OUTPUT_FILE ${POLYEVAL_MAN_STAGING}/polyeval.1.gz RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip could not compress ${POLYEVAL_MAN_STAGING}/polyeval.1")
endif()
file(INSTALL ${POLYEVAL_MAN_STAGING}/polyeval.1.gz DESTINATION "${CMAKE_INSTALL_PREFIX}/${POLYEVAL_MAN_DESTINATION}"
     PERMISSIONS ${POLYEVAL_PERMISSIONS})
