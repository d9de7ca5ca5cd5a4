# The Markdown pages as HTML pages, for readers without a Markdown viewer (every Windows user):
# docs/html_pages.py renders each with Debian's python3-markdown-it and python3-mdit-py-plugins into
# html/ in the build tree, laid out as installed: README.html, and docs/ with the other pages and
# the figure they show. POLYEVAL_HTML_PAGES lists the pages written.
#
# What the documentation holds is docs/pages.txt: POLYEVAL_DOCS_<role> lists its files of each role
# (readme, explanation, maintainers, license, figure, script, drawing, module, windows, browser),
# POLYEVAL_DOC_PAGES its pages (the README, the explanation's and the maintainers').
set(roles readme explanation maintainers license figure script drawing module windows browser)
file(STRINGS ${PROJECT_SOURCE_DIR}/docs/pages.txt entries REGEX "^[^#]")
foreach(role IN LISTS roles)
  set(POLYEVAL_DOCS_${role} "")
endforeach()
foreach(entry IN LISTS entries)
  if(NOT entry MATCHES "^([^ ]+) +([a-z]+)$" OR NOT CMAKE_MATCH_2 IN_LIST roles)
    message(FATAL_ERROR "docs/pages.txt: not a file and its role: ${entry}")
  endif()
  list(APPEND POLYEVAL_DOCS_${CMAKE_MATCH_2} ${CMAKE_MATCH_1})
endforeach()
set(POLYEVAL_DOC_PAGES ${POLYEVAL_DOCS_readme} ${POLYEVAL_DOCS_explanation} ${POLYEVAL_DOCS_maintainers})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/pages.txt)

# The README as the platform's packages show it, POLYEVAL_README: on Windows the part about building,
# testing and installing from the source, between the two markers below, gives way to the part of
# role windows, which says how to run the program there.
set(POLYEVAL_README ${PROJECT_SOURCE_DIR}/${POLYEVAL_DOCS_readme})
if(WIN32)
  file(READ ${POLYEVAL_README} readme)
  file(READ ${PROJECT_SOURCE_DIR}/${POLYEVAL_DOCS_windows} windows)
  string(FIND "${readme}" "<!-- the Windows packages show docs/windows.md in place of this part -->\n" start)
  set(end_marker "<!-- end of the part the Windows packages replace -->\n")
  string(FIND "${readme}" "${end_marker}" end)
  if(start EQUAL -1 OR end LESS start)
    message(FATAL_ERROR "${POLYEVAL_DOCS_readme} marks no part for the Windows packages to replace")
  endif()
  string(LENGTH "${end_marker}" length)
  math(EXPR end "${end} + ${length}")
  string(SUBSTRING "${readme}" 0 ${start} before)
  string(SUBSTRING "${readme}" ${end} -1 after)
  file(WRITE ${PROJECT_BINARY_DIR}/windows/README.new "${before}${windows}${after}")
  set(POLYEVAL_README ${PROJECT_BINARY_DIR}/windows/${POLYEVAL_DOCS_readme})
  configure_file(${PROJECT_BINARY_DIR}/windows/README.new ${POLYEVAL_README} COPYONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${POLYEVAL_DOCS_readme}
               ${PROJECT_SOURCE_DIR}/${POLYEVAL_DOCS_windows})
endif()

# The browser page, built by the wasm32-wasi preset, goes beside the README where the release asks
# for it (POLYEVAL_PAGE names the built file, which cmake/packaging.cmake installs); the WebAssembly
# build writes it into html/ itself. Where it comes beside them, the pages link it.
set(POLYEVAL_PAGE "" CACHE FILEPATH "The built browser page (polyeval.html) to install beside the README")
if(POLYEVAL_PAGE AND NOT EXISTS "${POLYEVAL_PAGE}")
  message(FATAL_ERROR "POLYEVAL_PAGE names ${POLYEVAL_PAGE}, which does not exist: build the page first "
                      "(cmake --preset wasm32-wasi && cmake --build --preset wasm32-wasi)")
endif()
set(browser_page "")
if(POLYEVAL_PAGE)
  get_filename_component(name ${POLYEVAL_PAGE} NAME)
  set(browser_page --browser-page ${name})
elseif(CMAKE_SYSTEM_PROCESSOR STREQUAL "wasm32")
  set(browser_page --browser-page ${POLYEVAL_DOCS_browser})
endif()

# POLYEVAL_HTML_DOCS: AUTO renders them where the renderer is found and says in one line where it
# is not; ON (the release) requires them; OFF leaves them out.
set(POLYEVAL_HTML_DOCS AUTO CACHE STRING "Render the documentation as HTML pages: AUTO, ON or OFF")
set_property(CACHE POLYEVAL_HTML_DOCS PROPERTY STRINGS AUTO ON OFF)
set(POLYEVAL_HTML_DIR ${PROJECT_BINARY_DIR}/html)
set(POLYEVAL_HTML_PAGES "")
file(MAKE_DIRECTORY ${POLYEVAL_HTML_DIR}/docs)
if(POLYEVAL_HTML_DOCS STREQUAL "OFF")
  return()
endif()

include(${PROJECT_SOURCE_DIR}/cmake/python-with.cmake)
polyeval_python_with(POLYEVAL_HTML_PYTHON "markdown_it, mdit_py_plugins.anchors")
if(NOT POLYEVAL_HTML_PYTHON)
  set(why "no python3 with markdown-it-py and mdit-py-plugins (Debian: python3-markdown-it python3-mdit-py-plugins)")
  if(POLYEVAL_HTML_DOCS STREQUAL "ON")
    message(FATAL_ERROR "The HTML pages were asked for (POLYEVAL_HTML_DOCS=ON), but there is ${why}")
  endif()
  message(STATUS "HTML pages off: ${why}")
  return()
endif()

# The Windows packages rename the license, which the README links to.
set(license ${POLYEVAL_DOCS_license})
set(renamed "")
if(WIN32)
  set(license ${license}.txt)
  set(renamed --link ${POLYEVAL_DOCS_license}=${license})
endif()
# Each page: the Markdown source (the README as the platform shows it), and the HTML page under html/,
# whose line of links names the other pages by their titles.
set(sources ${POLYEVAL_DOC_PAGES})
list(TRANSFORM sources PREPEND ${PROJECT_SOURCE_DIR}/)
foreach(page IN LISTS POLYEVAL_DOC_PAGES)
  string(REGEX REPLACE "\\.md$" ".html" html ${POLYEVAL_HTML_DIR}/${page})
  set(source ${PROJECT_SOURCE_DIR}/${page})
  if(page STREQUAL POLYEVAL_DOCS_readme)
    set(source ${POLYEVAL_README})
  endif()
  add_custom_command(
    OUTPUT ${html}
    COMMAND ${POLYEVAL_HTML_PYTHON} ${PROJECT_SOURCE_DIR}/docs/html_pages.py ${source} ${html} --as ${page}
            ${browser_page} ${renamed}
    DEPENDS ${source} ${sources} ${PROJECT_SOURCE_DIR}/docs/html_pages.py ${PROJECT_SOURCE_DIR}/docs/pages.txt
    COMMENT "Writing the HTML page of ${page}"
    VERBATIM)
  list(APPEND POLYEVAL_HTML_PAGES ${html})
endforeach()
# What the pages link to, show and name beside them, so that html/ holds what is installed: the
# license, the figures and the scripts.
set(linked "")
foreach(pair IN ITEMS ${POLYEVAL_DOCS_license}:${license} ${POLYEVAL_DOCS_figure} ${POLYEVAL_DOCS_script}
                      ${POLYEVAL_DOCS_drawing} ${POLYEVAL_DOCS_module})
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair -1 copy)
  add_custom_command(
    OUTPUT ${POLYEVAL_HTML_DIR}/${copy}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${POLYEVAL_HTML_DIR}/${copy}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    VERBATIM)
  list(APPEND linked ${POLYEVAL_HTML_DIR}/${copy})
endforeach()
add_custom_target(polyeval_html ALL DEPENDS ${POLYEVAL_HTML_PAGES} ${linked})
