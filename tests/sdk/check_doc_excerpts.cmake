# Every C excerpt (a ```c block) of a document must appear, line for line, in
# the source it quotes, so that the documentation never shows code the example
# no longer has:
#   cmake -DDOC=docs/host-authors.md -DSOURCE=examples/minimal_host.c -P check_doc_excerpts.cmake
file(READ "${DOC}" doc)
file(READ "${SOURCE}" source)
# Semicolons would split the blocks as CMake lists: stand-ins for both texts.
string(REPLACE ";" "<semicolon>" doc "${doc}")
string(REPLACE ";" "<semicolon>" source "${source}")
string(REGEX MATCHALL "```c\n[^`]*```" blocks "${doc}")
list(LENGTH blocks count)
if(count EQUAL 0)
  message(FATAL_ERROR "${DOC} quotes nothing of ${SOURCE}")
endif()
set(failed FALSE)
foreach(block IN LISTS blocks)
  string(REGEX REPLACE "^```c\n" "" code "${block}")
  string(REGEX REPLACE "```$" "" code "${code}")
  string(FIND "${source}" "${code}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "not in ${SOURCE}:\n${code}")
    set(failed TRUE)
  endif()
endforeach()
if(failed)
  message(FATAL_ERROR "${DOC} quotes code that ${SOURCE} does not have")
endif()
message(STATUS "${count} excerpts found in ${SOURCE}")
