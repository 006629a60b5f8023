# The package's COMPAT.TXT, made from the checked-in docs/compatibility.md as the package build
# makes it, says for each card what the page's summary row says, and speaks of no columns: the
# text has no table.
#   cmake -DSOURCE_DIR=... -DOUT=... -P compat_text_test.cmake
include(${SOURCE_DIR}/cmake/CompatibilitySummary.cmake)
zanvo_compatibility_text(${SOURCE_DIR}/docs/compatibility.md ${OUT} advice)
execute_process(COMMAND bash ${SOURCE_DIR}/scripts/check-compat-text.sh ${OUT}
                        ${SOURCE_DIR}/docs/compatibility.md
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${output}")
endif()
file(READ ${OUT} text)
if(text MATCHES "[Cc]olumn")
  message(FATAL_ERROR "${OUT} speaks of a column, but it has no table:\n${text}")
endif()
