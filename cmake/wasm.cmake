# The WebAssembly build (Emscripten): one thread, exceptions caught as on other platforms,
# and the tool run under node with the real files of the machine, so that its files can be
# compared with those of the native tool.
add_compile_options(-fexceptions)
# WebAssembly's 128-bit SIMD, which every current browser and node run: the loops over
# independent lanes (the oscillators' four lanes, the transforms' pairs) are vectorised as the
# native build vectorises them with SSE2, a quarter less time for the response spectra. Each
# lane's arithmetic is the same IEEE operation either way, so the files keep their bytes.
add_compile_options(-msimd128)
add_link_options(-fexceptions -sALLOW_MEMORY_GROWTH=1)

# Optimised links run Emscripten's JavaScript tools under node, which need Debian's node
# modules (acorn and others) on NODE_PATH.
set(WAVESPEC_NODE_PATH "$ENV{NODE_PATH}" CACHE PATH "node's module folder for Emscripten's tools")
if(NOT WAVESPEC_NODE_PATH)
    foreach(folder /usr/share/nodejs /usr/lib/nodejs)
        if(EXISTS ${folder}/acorn)
            set(WAVESPEC_NODE_PATH ${folder} CACHE PATH "" FORCE)
            break()
        endif()
    endforeach()
endif()
if(WAVESPEC_NODE_PATH)
    set_property(GLOBAL PROPERTY RULE_LAUNCH_LINK
                 "${CMAKE_COMMAND} -E env NODE_PATH=${WAVESPEC_NODE_PATH}")
endif()

# The tool: exits with its status, reads and writes the machine's files through node, and
# carries its WebAssembly inside (node 18 and later would fetch a separate file as a URL).
function(wavespec_wasm_tool target)
    target_link_options(${target} PRIVATE -sNODERAWFS=1 -sEXIT_RUNTIME=1 -sSINGLE_FILE=1
                        --pre-js ${PROJECT_SOURCE_DIR}/cmake/wasm_node_abort.js)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
                 ${PROJECT_SOURCE_DIR}/cmake/wasm_node_abort.js)
endfunction()
