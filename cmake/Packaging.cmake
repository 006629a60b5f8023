# The release package of the Windows build: zanvo-<version>-win32.zip with zanvo.exe, a short
# read-me for Windows users, the compatibility summary and the licence, all as plain text with CR LF line ends so that
# Notepad on any Windows shows them. zanvo-virtual.exe and the winio.dll test doubles stay out.
#
#   cmake --build --preset mingw --target package
set(ZANVO_PACKAGE_TEXT ${CMAKE_BINARY_DIR}/package-text)
# COMPAT.TXT, the compatibility summary, is made from the generated docs/compatibility.md; the
# read-me carries its advice inline (@ZANVO_COMPATIBILITY_ADVICE@).
include(${PROJECT_SOURCE_DIR}/cmake/CompatibilitySummary.cmake)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/docs/compatibility.md)
zanvo_compatibility_text(${PROJECT_SOURCE_DIR}/docs/compatibility.md
                         ${ZANVO_PACKAGE_TEXT}/compatibility-lf.txt ZANVO_COMPATIBILITY_ADVICE)
configure_file(${ZANVO_PACKAGE_TEXT}/compatibility-lf.txt ${ZANVO_PACKAGE_TEXT}/COMPAT.TXT
               @ONLY NEWLINE_STYLE CRLF)
# Twice: the advice's own line ends become CR LF only in the second pass.
configure_file(${PROJECT_SOURCE_DIR}/docs/readme-windows.txt ${ZANVO_PACKAGE_TEXT}/readme-lf.txt
               @ONLY)
configure_file(${ZANVO_PACKAGE_TEXT}/readme-lf.txt ${ZANVO_PACKAGE_TEXT}/README.TXT
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${ZANVO_PACKAGE_TEXT}/LICENSE.TXT
               @ONLY NEWLINE_STYLE CRLF)

install(TARGETS zanvo RUNTIME DESTINATION .)
install(FILES ${ZANVO_PACKAGE_TEXT}/README.TXT ${ZANVO_PACKAGE_TEXT}/COMPAT.TXT
              ${ZANVO_PACKAGE_TEXT}/LICENSE.TXT DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME zanvo)
set(CPACK_PACKAGE_VENDOR Brindlex)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ZANVO For Windows: VGA output to TV and arcade monitors")
set(CPACK_PACKAGE_FILE_NAME zanvo-${PROJECT_VERSION}-win32)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
include(CPack)
