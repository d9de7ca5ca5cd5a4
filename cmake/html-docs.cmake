# The Markdown pages as HTML pages, for readers without a Markdown viewer (every Windows user):
# docs/html_pages.py renders each with Debian's python3-markdown-it and python3-mdit-py-plugins into
# html/ in the build tree, laid out as installed: README.html, and docs/ with numbers.html,
# exercises.html, development.html and the figure they show. POLYEVAL_HTML_PAGES lists the pages.
#
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
set(license LICENSE)
set(renamed "")
if(WIN32)
  set(license LICENSE.txt)
  set(renamed --link LICENSE=${license})
endif()
# Each page: the Markdown source, and the HTML page under html/.
foreach(page IN ITEMS README docs/numbers docs/exercises docs/development)
  set(html ${POLYEVAL_HTML_DIR}/${page}.html)
  add_custom_command(
    OUTPUT ${html}
    COMMAND ${POLYEVAL_HTML_PYTHON} ${PROJECT_SOURCE_DIR}/docs/html_pages.py ${PROJECT_SOURCE_DIR}/${page}.md ${html} ${renamed}
    DEPENDS ${PROJECT_SOURCE_DIR}/${page}.md ${PROJECT_SOURCE_DIR}/docs/html_pages.py
    COMMENT "Writing the HTML page ${page}.html"
    VERBATIM)
  list(APPEND POLYEVAL_HTML_PAGES ${html})
endforeach()
# What the pages link to and show beside them, so that html/ opens as it is installed: the license
# and the figure.
set(linked "")
foreach(pair IN ITEMS LICENSE:${license} docs/magnitudes.svg:docs/magnitudes.svg)
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 copy)
  add_custom_command(
    OUTPUT ${POLYEVAL_HTML_DIR}/${copy}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${POLYEVAL_HTML_DIR}/${copy}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    VERBATIM)
  list(APPEND linked ${POLYEVAL_HTML_DIR}/${copy})
endforeach()
add_custom_target(polyeval_html ALL DEPENDS ${POLYEVAL_HTML_PAGES} ${linked})
