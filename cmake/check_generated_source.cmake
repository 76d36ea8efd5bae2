# Fails unless the program GENERATOR prints exactly the checked-in file EXPECTED.
execute_process(COMMAND ${GENERATOR} OUTPUT_VARIABLE generated RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${GENERATOR} failed: ${status}")
endif()
file(READ ${EXPECTED} checked_in)
if(NOT generated STREQUAL checked_in)
    message(FATAL_ERROR "${EXPECTED} is not what ${GENERATOR} prints: regenerate it")
endif()
