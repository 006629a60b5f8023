# cmake --install into a fresh prefix: zanvo-scope in bin, its manual page in share/man/man1,
# on Linux zanvo in sbin (root runs it) with its page in share/man/man8, nothing else; the
# installed programs run and their pages document the options.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DVERSION=... -P install_test.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT installed)
set(expected bin/zanvo-scope share/man/man1/zanvo-scope.1)
if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Linux")
  set(expected bin/zanvo-scope sbin/zanvo share/man/man1/zanvo-scope.1 share/man/man8/zanvo.8)
endif()
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "installed: ${installed}; expected: ${expected}")
endif()

execute_process(COMMAND ${PREFIX}/bin/zanvo-scope --version RESULT_VARIABLE result
                OUTPUT_VARIABLE version OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT result EQUAL 0 OR NOT version STREQUAL "zanvo-scope ${VERSION}")
  message(FATAL_ERROR "the installed zanvo-scope --version says \"${version}\" (${result})")
endif()

file(READ ${PREFIX}/share/man/man1/zanvo-scope.1 page)
# help2man's title line, the options as --help lists them (dashes escaped for troff), and the
# sections of the help's footer: the card names, the exit statuses, examples.
foreach(part [[.TH ZANVO-SCOPE "1"]] ${VERSION} [[\-\-standard]] [[\-\-load\-registers]]
             [[\-\-version]] ".SH CARDS" [[tseng\-et4000]] ".SH EXIT STATUS" ".SH EXAMPLES")
  string(FIND "${page}" "${part}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the manual page lacks \"${part}\"")
  endif()
endforeach()

if(CMAKE_HOST_SYSTEM_NAME STREQUAL "Linux")
  # zanvo opens the machine's ports: it is never run here, its page says what it is.
  file(READ ${PREFIX}/share/man/man8/zanvo.8 page)
  foreach(part [[.TH ZANVO "8"]] "zanvo ${VERSION}" [[\-\-chipset]] [[\-\-no\-interlace]] ".SH EXIT STATUS" ".SH FILES"
               [[/run/zanvo/saved\-registers]] ".SH EXAMPLES")
    string(FIND "${page}" "${part}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "zanvo's manual page lacks \"${part}\"")
    endif()
  endforeach()
endif()
