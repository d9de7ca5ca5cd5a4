# The target rows of CMakePresets.json: every configure preset but the hidden ones, default (this
# machine's own build) and the release's (release*, checked by .ci/run's release step). Sets
# names_var to their names, checks_var to what each asks for beyond its bytes (its vendor field
# "polyeval": {"check": ...}), "bytes" where it asks nothing, and packages_var to the Debian packages
# each needs, its compiler and its runner ("packages", words joined by commas here, as a CMake list
# cannot hold a list).
function(polyeval_target_presets source_dir names_var checks_var packages_var)
  file(READ ${source_dir}/CMakePresets.json presets)
  string(JSON count LENGTH "${presets}" configurePresets)
  math(EXPR last "${count} - 1")
  set(names "")
  set(checks "")
  set(packages "")
  foreach(index RANGE ${last})
    string(JSON name GET "${presets}" configurePresets ${index} name)
    string(JSON hidden ERROR_VARIABLE not_hidden GET "${presets}" configurePresets ${index} hidden)
    string(JSON check ERROR_VARIABLE no_check GET "${presets}" configurePresets ${index} vendor polyeval check)
    string(JSON needs ERROR_VARIABLE no_packages GET "${presets}" configurePresets ${index} vendor polyeval packages)
    if(hidden OR name STREQUAL "default" OR name MATCHES "^release")
      continue()
    endif()
    if(no_check)
      set(check bytes)
    endif()
    if(no_packages)
      message(FATAL_ERROR "CMakePresets.json: the target preset ${name} names no Debian packages (vendor polyeval packages)")
    endif()
    string(REPLACE " " "," needs "${needs}")
    list(APPEND names ${name})
    list(APPEND checks ${check})
    list(APPEND packages ${needs})
  endforeach()
  set(${names_var} ${names} PARENT_SCOPE)
  set(${checks_var} ${checks} PARENT_SCOPE)
  set(${packages_var} ${packages} PARENT_SCOPE)
endfunction()

# Sets var to the Debian packages that the target presets need, each once.
function(polyeval_target_packages source_dir var)
  polyeval_target_presets(${source_dir} unused_names unused_checks packages)
  string(REPLACE "," ";" packages "${packages}")
  list(REMOVE_DUPLICATES packages)
  set(${var} ${packages} PARENT_SCOPE)
endfunction()
