# The example's and the install tree's builds (presets example, install) compile each library
# as a few large translation units (CMAKE_UNITY_BUILD), which halves their time. File-local
# names are therefore kept distinct across the files of a library (a reader's line constants
# carry its format's name, a picture's layout constants the picture's). These two files keep a
# unit of their own: their file-local tables of powers of ten and digits share names with the
# other number files of the records library.
set(WAVESPEC_UNITY_SKIPPED
    src/records/number_chars.cpp
    src/records/number_scan.cpp)
set_source_files_properties(${WAVESPEC_UNITY_SKIPPED} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
