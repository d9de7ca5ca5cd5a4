# Writes the page PAGE, one self-contained file, from TEMPLATE: @POLYEVAL_STYLE@ becomes the
# stylesheet STYLE, @POLYEVAL_SCRIPT@ the modules SCRIPTS joined in the order given, and
# @POLYEVAL_MODULE@ the base64 text of the WebAssembly module MODULE.
#
# The modules are ES modules (Node's test runner imports them one by one); joined, they share one
# scope, so each drops its imports of the others and the word export. An import that renames (as),
# or one that is left over after that, stops the build: it would not mean the same in one scope. So
# does a top-level name that two modules declare, which would stop the page's script, and one that
# is destructured, which this cannot read.
# usage: cmake -DBASE64=<base64 program> -DMODULE=<.wasm> -DTEMPLATE=<.html.in> -DSTYLE=<.css>
#              "-DSCRIPTS=<.mjs;...>" -DPAGE=<.html> -P assemble-page.cmake
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${BASE64} --wrap=0 ${MODULE} OUTPUT_VARIABLE POLYEVAL_MODULE COMMAND_ERROR_IS_FATAL ANY)
file(READ ${STYLE} POLYEVAL_STYLE)

# Fails unless each top-level name the module `name` declares in `text` is declared by no module
# before it; the names seen so far are in POLYEVAL_DECLARED, as module:name.
function(polyeval_check_declarations name text)
  string(REGEX MATCHALL "(^|\n)(async function[*]? |function[*]? |class |const |let |var )[^ =(;]+" declared "${text}")
  foreach(declaration IN LISTS declared)
    string(REGEX REPLACE "^\n?[a-z]+ ([a-z]+ )?[*]? ?" "" declared_name "${declaration}")
    if(NOT declared_name MATCHES "^[A-Za-z_$][A-Za-z0-9_$]*$")
      message(FATAL_ERROR "${name}: the page joins its modules into one script and cannot read this "
                          "top-level declaration; declare one plain name a statement:\n${declaration}")
    endif()
    foreach(seen IN LISTS POLYEVAL_DECLARED)
      if(seen MATCHES ":${declared_name}$")
        string(REGEX REPLACE ":.*" "" other "${seen}")
        message(FATAL_ERROR "${name} and ${other} both declare ${declared_name}, and the page joins them into one "
                            "scope: rename one")
      endif()
    endforeach()
    list(APPEND POLYEVAL_DECLARED "${name}:${declared_name}")
  endforeach()
  set(POLYEVAL_DECLARED ${POLYEVAL_DECLARED} PARENT_SCOPE)
endfunction()

set(POLYEVAL_SCRIPT "")
set(POLYEVAL_DECLARED "")
foreach(script IN LISTS SCRIPTS)
  file(READ ${script} text)
  get_filename_component(name ${script} NAME)
  # Each import up to its semicolon, which CMake would take for a list separator.
  string(REGEX MATCHALL "(^|\n)import [^;]*" imports "${text}")
  foreach(import IN LISTS imports)
    if(NOT import MATCHES "from '\\./[a-z]+\\.mjs'$" OR import MATCHES " as ")
      message(FATAL_ERROR "${script}: the page joins its modules into one script and cannot take this import:\n${import}")
    endif()
  endforeach()
  string(REGEX REPLACE "(^|\n)import [^;]*;" "" text "${text}")
  string(REGEX REPLACE "(^|\n)export " "\\1" text "${text}")
  if(text MATCHES "(^|\n)(import|export)[ {]")
    message(FATAL_ERROR "${script}: an import or export is left after joining; write each as one statement")
  endif()
  polyeval_check_declarations(${name} "${text}")
  string(APPEND POLYEVAL_SCRIPT "// ${name}\n${text}\n")
endforeach()

# Read permission for everyone, whatever the umask of the checkout.
configure_file(${TEMPLATE} ${PAGE} @ONLY NEWLINE_STYLE UNIX NO_SOURCE_PERMISSIONS)
