# The package's COMPAT.TXT, made from the checked-in docs/compatibility.md as the package build
# makes it, says for each card what the page's summary row says, and speaks of no columns: the
# text has no table. The check itself catches a garbled text: each edit below, made to the made
# text, must fail it, and a text only wrapped or ended differently must pass it.
#   cmake -DSOURCE_DIR=... -DOUT=... -P compat_text_test.cmake
cmake_minimum_required(VERSION 3.20)
include(${SOURCE_DIR}/cmake/CompatibilitySummary.cmake)
zanvo_compatibility_text(${SOURCE_DIR}/docs/compatibility.md ${OUT} advice)

function(check_text file expect_pass what)
  set(page ${SOURCE_DIR}/docs/compatibility.md)
  if(ARGC GREATER 3)
    set(page ${ARGV3})
  endif()
  execute_process(COMMAND bash ${SOURCE_DIR}/scripts/check-compat-text.sh ${file} ${page}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(expect_pass AND NOT result EQUAL 0)
    message(FATAL_ERROR "${what}: the check fails a text that says what the page says:\n${output}")
  elseif(NOT expect_pass AND result EQUAL 0)
    message(FATAL_ERROR "${what}: the check passes a garbled text:\n${output}")
  endif()
endfunction()

check_text(${OUT} TRUE "the made text")
file(READ ${OUT} text)
if(text MATCHES "[Cc]olumn")
  message(FATAL_ERROR "${OUT} speaks of a column, but it has no table:\n${text}")
endif()

# Edits: the first match of a regular expression and its replacement; "=" marks a text that
# must still pass. Each garbles a line COMPAT.TXT derives from the page.
set(edits
  "Chip facts behind its off cells: [^\n]*|Chip facts behind its off cells: 66"
  "In all, [0-9]+ of|In all, 9999 of"
  "In all, [0-9]+ of [0-9]+ cells are usable with the tables, [0-9]+|In all, 1 of 2 cells are usable with the tables, 3"
  "\n[0-9]+\\. |\n77. "
  "the window shows \"[^\"]*\"|the window shows \"Generic\""
  "\"\\): [0-9]+ of|\"): 1 of"
  "usable, [0-9]+ with computed|usable, 0 with computed"
  "Set for PAL: [0-9x]+ [a-z]+|Set for PAL: 9x9x8 exact"
  "for NTSC: [0-9x]+ [a-z]+|for NTSC: 9x9x8 exact"
  "for 24 kHz:[^\n]*\n[^\n]*|for 24 kHz: 9x9x8 exact"
  "with computed timings\n|with computed timings\n    Pick \"S3: Trio32/64\" by hand in the window: 1 of 2 usable.\n"
  "\n    Chip facts behind its off cells: [^\n]*|"
  "A measured miss|A measured hit"
  "\nIn all, [^\n]*|"
  "$|\nIn all, 9999 of 2454 cells are usable.\n"
  "\n|\r\n|="
  "\n    |\n|=")
set(row 0)
foreach(edit IN LISTS edits)
  math(EXPR row "${row} + 1")
  string(REPLACE "|" ";" parts "${edit}")
  list(GET parts 0 pattern)
  list(GET parts 1 replacement)
  set(expect_pass FALSE)
  list(LENGTH parts count)
  if(count GREATER 2)
    set(expect_pass TRUE)
  endif()
  if(expect_pass)
    string(REGEX REPLACE "${pattern}" "${replacement}" edited "${text}")
  elseif(pattern STREQUAL "$")
    set(edited "${text}${replacement}")
  else()
    string(REGEX MATCH "${pattern}" found "${text}")
    if(found STREQUAL "")
      message(FATAL_ERROR "edit ${row}: \"${pattern}\" matches nothing in the made text")
    endif()
    string(FIND "${text}" "${found}" at)
    string(LENGTH "${found}" length)
    string(SUBSTRING "${text}" 0 ${at} head)
    math(EXPR tail_at "${at} + ${length}")
    string(SUBSTRING "${text}" ${tail_at} -1 tail)
    set(edited "${head}${replacement}${tail}")
  endif()
  set(file ${OUT}.edit-${row})
  file(WRITE ${file} "${edited}")
  check_text(${file} ${expect_pass} "edit ${row} (${pattern} -> ${replacement})")
endforeach()

# A page whose summary lost its table of cards gives the check nothing to compare: it fails,
# even on the text made from that page.
file(READ ${SOURCE_DIR}/docs/compatibility.md page)
string(REGEX REPLACE "\n\\| [0-9]+ \\|[^\n]*" "" page "${page}")
file(WRITE ${OUT}.no-cards.md "${page}")
zanvo_compatibility_text(${OUT}.no-cards.md ${OUT}.no-cards.txt advice)
check_text(${OUT}.no-cards.txt FALSE "a page without its cards" ${OUT}.no-cards.md)
