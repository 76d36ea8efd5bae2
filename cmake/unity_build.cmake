# The example's and the install tree's builds (presets example, install) compile each library
# as a few large translation units (CMAKE_UNITY_BUILD), which halves their time. These files
# keep a translation unit of their own: their file-local names (layout constants, small
# parsers) repeat those of another file of the same library, which is right for files compiled
# alone and a clash when joined.
set(WAVESPEC_UNITY_SKIPPED
    src/cli/flatfile_command.cpp
    src/cli/flatfile_table.cpp
    src/cli/info_command.cpp
    src/cli/inventory_command.cpp
    src/cli/response_files.cpp
    src/cli/run_pictures.cpp
    src/cli/smoothing_files.cpp
    src/records/number_chars.cpp
    src/records/number_scan.cpp
    src/formats/afad_reader.cpp
    src/formats/at2_reader.cpp
    src/formats/bhrc_reader.cpp
    src/formats/cosmos_reader.cpp
    src/formats/csmip_reader.cpp
    src/formats/geonet_reader.cpp
    src/formats/renadic_reader.cpp
    src/formats/smc_reader.cpp
    src/plot/hv_azimuth_svg.cpp
    src/plot/hv_svg.cpp
    src/plot/processed_svg.cpp
    src/plot/processing_tables.cpp
    src/plot/response_svg.cpp
    src/plot/snr_svg.cpp
    src/plot/waveform_svg.cpp)
set_source_files_properties(${WAVESPEC_UNITY_SKIPPED} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
