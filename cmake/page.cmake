# The page polyeval.html: one file that opens from disk in any current browser, with the WebAssembly
# module embedded in base64. It runs the program and calls the evaluation routines the module
# exports (src/driver/wasm_exports.cpp). Built beside polyeval.wasm by the wasm32-wasi preset.
find_program(POLYEVAL_BASE64 base64)
if(NOT POLYEVAL_BASE64)
  message(FATAL_ERROR "The page polyeval.html embeds the module with base64 (GNU coreutils), which is not found")
endif()
target_sources(polyeval PRIVATE src/driver/wasm_exports.cpp)

set(page_template ${PROJECT_SOURCE_DIR}/src/page/polyeval.html.in)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/polyeval.html
  COMMAND ${CMAKE_COMMAND} -DBASE64=${POLYEVAL_BASE64} -DMODULE=$<TARGET_FILE:polyeval>
          -DTEMPLATE=${page_template} -DPAGE=${PROJECT_BINARY_DIR}/polyeval.html
          -P ${PROJECT_SOURCE_DIR}/cmake/embed-module.cmake
  DEPENDS polyeval ${page_template} ${PROJECT_SOURCE_DIR}/cmake/embed-module.cmake
  COMMENT "Writing the page polyeval.html"
  VERBATIM)
add_custom_target(polyeval_page ALL DEPENDS ${PROJECT_BINARY_DIR}/polyeval.html)
