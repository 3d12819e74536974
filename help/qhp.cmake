# SPDX-License-Identifier: GPL-3.0-or-later
# Writes WORK/LANGUAGE.qhp and copies the pages beside it (qhelpgenerator takes files
# relative to the project). Contents from SRC/contents.txt (one topic number per line,
# two spaces of indent per level), titles from <title>, index entries from the
# keywords meta tag ("a; b; c") and from every field term <dt id="cNNN">.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(GLOB pages ${SRC}/${LANGUAGE}/*.html)
file(COPY ${pages} ${SRC}/help.css DESTINATION ${WORK})
string(TOLOWER ${LANGUAGE} lower)

function(page_title topic out)
  file(READ ${SRC}/${LANGUAGE}/${topic}.html html)
  string(REGEX MATCH "<title>([^<]*)</title>" _ "${html}")
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

file(STRINGS ${SRC}/contents.txt lines)
set(toc "")
set(depth 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^( *)([0-9]+)")
    string(LENGTH "${CMAKE_MATCH_1}" indent)
    math(EXPR level "${indent} / 2")
    set(topic ${CMAKE_MATCH_2})
    if(NOT EXISTS ${SRC}/${LANGUAGE}/${topic}.html)
      continue()  # the guard test reports missing pages; the rest still builds
    endif()
    while(depth GREATER level)
      string(APPEND toc "</section>\n")
      math(EXPR depth "${depth} - 1")
    endwhile()
    page_title(${topic} title)
    string(APPEND toc "<section title=\"${title}\" ref=\"${topic}.html\">\n")
    math(EXPR depth "${level} + 1")
  endif()
endforeach()
while(depth GREATER 0)
  string(APPEND toc "</section>\n")
  math(EXPR depth "${depth} - 1")
endwhile()

set(keywords "")
set(files "<file>help.css</file>\n")
foreach(page IN LISTS pages)
  get_filename_component(name ${page} NAME)
  string(APPEND files "<file>${name}</file>\n")
  file(READ ${page} html)
  if(html MATCHES "<meta name=\"keywords\" content=\"([^\"]*)\"")
    set(_k "${CMAKE_MATCH_1}")
    foreach(k IN LISTS _k)
      string(STRIP "${k}" k)
      if(NOT k STREQUAL "")
        string(APPEND keywords "<keyword name=\"${k}\" ref=\"${name}\"/>\n")
      endif()
    endforeach()
  endif()
  string(REGEX MATCHALL "<dt id=\"c[0-9]+\"[^>]*>[^<]*" terms "${html}")
  foreach(t IN LISTS terms)
    string(REGEX MATCH "<dt id=\"(c[0-9]+)\"[^>]*>([^<]*)" _ "${t}")
    set(anchor ${CMAKE_MATCH_1})
    string(STRIP "${CMAKE_MATCH_2}" term)
    if(NOT term STREQUAL "")
      string(APPEND keywords "<keyword name=\"${term}\" ref=\"${name}#${anchor}\"/>\n")
    endif()
  endforeach()
endforeach()

file(WRITE ${WORK}/${LANGUAGE}.qhp "<?xml version=\"1.0\" encoding=\"UTF-8\"?>
<QtHelpProject version=\"1.0\">
<namespace>org.korvalis.control.${lower}</namespace>
<virtualFolder>help</virtualFolder>
<filterSection>
<toc>
${toc}</toc>
<keywords>
${keywords}</keywords>
<files>
${files}</files>
</filterSection>
</QtHelpProject>
")
