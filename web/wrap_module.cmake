# Writes the module's script (MODULE) as one JavaScript string literal into SCRIPT:
#   var WAVESPEC_MODULE_SOURCE = "...";
# The page turns it into a Blob and starts its worker from that.
file(READ "${MODULE}" source)
string(REPLACE "\\" "\\\\" source "${source}")
string(REPLACE "\"" "\\\"" source "${source}")
string(REPLACE "\r" "\\r" source "${source}")
string(REPLACE "\n" "\\n" source "${source}")
file(WRITE "${SCRIPT}.part" "// Built from the wavespec sources; see scripts/build-web.sh.\n"
     "var WAVESPEC_MODULE_SOURCE = \"${source}\";\n")
file(RENAME "${SCRIPT}.part" "${SCRIPT}")
