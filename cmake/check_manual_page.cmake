# Fails unless the manual page made again from its template and the help texts is the
# checked-in EXPECTED (docs/wavespec.1): run with the arguments of manual_page.cmake, OUTPUT
# a scratch file.
include(${CMAKE_CURRENT_LIST_DIR}/manual_page.cmake)
file(READ ${OUTPUT} generated)
file(READ ${EXPECTED} checked_in)
if(NOT generated STREQUAL checked_in)
    message(FATAL_ERROR "${EXPECTED} is not what its template and the help texts make: "
                        "regenerate it (cmake --build build --target manual_page)")
endif()
