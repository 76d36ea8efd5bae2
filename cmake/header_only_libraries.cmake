# {fmt} and fast_float, used header-only for the number texts (Debian libfmt-dev and
# libfast-float-dev). They are looked for on the build machine even when cross-compiling, and
# reached through links in the build tree, so that a cross compiler sees these two folders and
# never the build machine's other headers.
find_path(WAVESPEC_FMT_INCLUDE_DIR fmt/format.h NO_CMAKE_FIND_ROOT_PATH
          PATHS /usr/include /usr/local/include)
find_path(WAVESPEC_FAST_FLOAT_INCLUDE_DIR fast_float/fast_float.h NO_CMAKE_FIND_ROOT_PATH
          PATHS /usr/include /usr/local/include)
if(NOT WAVESPEC_FMT_INCLUDE_DIR OR NOT WAVESPEC_FAST_FLOAT_INCLUDE_DIR)
    message(FATAL_ERROR "The number texts need {fmt} and fast_float: "
                        "apt-get install libfmt-dev libfast-float-dev")
endif()
set(WAVESPEC_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/header_only)
file(MAKE_DIRECTORY ${WAVESPEC_HEADER_ONLY_DIR})
file(CREATE_LINK ${WAVESPEC_FMT_INCLUDE_DIR}/fmt ${WAVESPEC_HEADER_ONLY_DIR}/fmt SYMBOLIC)
file(CREATE_LINK ${WAVESPEC_FAST_FLOAT_INCLUDE_DIR}/fast_float
     ${WAVESPEC_HEADER_ONLY_DIR}/fast_float SYMBOLIC)
