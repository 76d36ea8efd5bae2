# Renders the manual page as plain text for the Windows package: cmake -DGROFF=... -DPAGE=...
# -DTEXT=... -P render_manual_text.cmake. Lines end with CR LF, as Windows text files do.
execute_process(COMMAND ${GROFF} -man -Tascii -P-cbou ${PAGE}
                OUTPUT_VARIABLE text RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "groff failed on ${PAGE}: ${status}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${TEXT} "${text}")
