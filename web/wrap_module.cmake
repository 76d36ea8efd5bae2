# Writes the module's script (MODULE) as one JavaScript string literal into SCRIPT:
#   var WAVESPEC_MODULE_SOURCE = "...";
# The page turns it into a Blob and starts its worker from that. The bundled example record
# (EXAMPLE) follows as the page's example button runs it:
#   var WAVESPEC_EXAMPLE = {name: "accelerogram.csv", text: "..."};
# A page opened from file:// may fetch no file beside it, so the record travels in the script.
function(javascript_string text out)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    string(REPLACE "\r" "\\r" text "${text}")
    string(REPLACE "\n" "\\n" text "${text}")
    set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()
file(READ "${MODULE}" source)
javascript_string("${source}" source)
if(NOT EXAMPLE OR NOT EXISTS "${EXAMPLE}" OR IS_DIRECTORY "${EXAMPLE}")
    message(FATAL_ERROR "wrap_module.cmake: no example record (EXAMPLE='${EXAMPLE}')")
endif()
file(READ "${EXAMPLE}" example)
javascript_string("${example}" example)
get_filename_component(example_name "${EXAMPLE}" NAME)
file(WRITE "${SCRIPT}.part" "// Built from the wavespec sources; see scripts/build-web.sh.\n"
     "var WAVESPEC_MODULE_SOURCE = ${source};\n"
     "var WAVESPEC_EXAMPLE = {name: \"${example_name}\", text: ${example}};\n")
file(RENAME "${SCRIPT}.part" "${SCRIPT}")
