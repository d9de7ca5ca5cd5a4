# The page polyeval.html: one file that opens from disk in any current browser, with its stylesheet,
# its scripts and the WebAssembly module (in base64) inside. It runs the program and calls the
# evaluation routines the module exports (src/driver/wasm_exports.cpp). Built by the wasm32-wasi
# preset into html/, beside the HTML pages it links to (cmake/html-docs.cmake).
find_program(POLYEVAL_BASE64 base64)
if(NOT POLYEVAL_BASE64)
  message(FATAL_ERROR "The page polyeval.html embeds the module with base64 (GNU coreutils), which is not found")
endif()
target_sources(polyeval PRIVATE src/driver/wasm_exports.cpp)

set(page_dir ${PROJECT_SOURCE_DIR}/src/page)
# The page's modules, each before the ones that use it: the WASI host, the exact p-bit arithmetic, the
# orders as programs, the number text, the glossary and the words, the verdicts and accounts, the table of evaluations,
# the detectors, what each kind of row gives, the questions the page asks, the model of a point and a
# width, the views, the chart, the sections, the lecture view, and the page at work.
set(page_scripts wasi.mjs arithmetic.mjs orders.mjs text.mjs glossary.mjs words.mjs account.mjs evaluations.mjs
                 detectors.mjs kinds.mjs questions.mjs model.mjs views.mjs chart.mjs sections.mjs lecture.mjs main.mjs)
list(TRANSFORM page_scripts PREPEND ${page_dir}/)
set(page_inputs ${page_dir}/polyeval.html.in ${page_dir}/page.css ${page_scripts})
add_custom_command(
  OUTPUT ${POLYEVAL_HTML_DIR}/polyeval.html
  COMMAND ${CMAKE_COMMAND} -DBASE64=${POLYEVAL_BASE64} -DMODULE=$<TARGET_FILE:polyeval>
          -DTEMPLATE=${page_dir}/polyeval.html.in -DSTYLE=${page_dir}/page.css "-DSCRIPTS=${page_scripts}"
          -DPAGE=${POLYEVAL_HTML_DIR}/polyeval.html -P ${PROJECT_SOURCE_DIR}/cmake/assemble-page.cmake
  DEPENDS polyeval ${page_inputs} ${PROJECT_SOURCE_DIR}/cmake/assemble-page.cmake
  COMMENT "Writing the page polyeval.html"
  VERBATIM)
add_custom_target(polyeval_page ALL DEPENDS ${POLYEVAL_HTML_DIR}/polyeval.html)
