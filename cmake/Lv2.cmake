# The LV2 instrument bundle vorpline.lv2: the plugin module, its TTL written by a generator from
# the same parameter table the plugin uses, and the starter presets as LV2 presets.
#   <build>/lv2/vorpline.lv2/       the bundle (LV2_PATH=<build>/lv2 finds it)
#   cmake --install <build>         copies it into ~/.lv2 (or VORPLINE_LV2_DIR)
pkg_check_modules(LV2 REQUIRED IMPORTED_TARGET lv2)

set(VORPLINE_LV2_BUNDLE ${CMAKE_BINARY_DIR}/lv2/vorpline.lv2)
set(VORPLINE_LV2_DIR "$ENV{HOME}/.lv2" CACHE PATH "Where cmake --install puts vorpline.lv2")

# The plugin's own code beside the core (which is built position-independent for it): the
# instance, its ports, its time, the TTL writer.
add_library(vorpline_lv2_core STATIC
    src/lv2/BlockTimers.cpp src/lv2/PluginParameters.cpp src/lv2/Synth.cpp src/lv2/TtlWriter.cpp)
target_link_libraries(vorpline_lv2_core PUBLIC vorpline_core PkgConfig::LV2)
set_target_properties(vorpline_lv2_core PROPERTIES POSITION_INDEPENDENT_CODE ON)

add_library(vorpline_lv2 MODULE src/lv2/Plugin.cpp)
target_link_libraries(vorpline_lv2 PRIVATE vorpline_lv2_core)
# Only lv2_descriptor leaves the module: the host may load other plugins (or the program's own
# libraries) with the same C++ names, and each copy must keep to its own.
target_link_options(vorpline_lv2 PRIVATE
    -Wl,--version-script=${CMAKE_SOURCE_DIR}/src/lv2/exports.map -Wl,--no-undefined)
set_target_properties(vorpline_lv2 PROPERTIES PREFIX "" OUTPUT_NAME vorpline_lv2
    LIBRARY_OUTPUT_DIRECTORY ${VORPLINE_LV2_BUNDLE})

add_executable(vorpline-lv2-ttl src/lv2/main_ttl.cpp)
target_link_libraries(vorpline-lv2-ttl PRIVATE vorpline_lv2_core)

file(GLOB_RECURSE VORPLINE_STARTER_PRESETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/vpx/*.sbi)
add_custom_command(OUTPUT ${VORPLINE_LV2_BUNDLE}/manifest.ttl ${VORPLINE_LV2_BUNDLE}/vorpline.ttl
    COMMAND vorpline-lv2-ttl ${VORPLINE_LV2_BUNDLE} ${CMAKE_SOURCE_DIR}/vpx
    DEPENDS vorpline-lv2-ttl ${VORPLINE_STARTER_PRESETS}
    COMMENT "Writing the TTL of vorpline.lv2")
add_custom_target(vorpline_lv2_bundle ALL
    DEPENDS vorpline_lv2 ${VORPLINE_LV2_BUNDLE}/manifest.ttl)

install(DIRECTORY ${VORPLINE_LV2_BUNDLE} DESTINATION ${VORPLINE_LV2_DIR} COMPONENT lv2)

# run() for a 64-frame block against the raw emulator, by hand (a RelWithDebInfo build).
if(VORPLINE_BENCH)
    find_package(benchmark REQUIRED)
    add_executable(vorpline-lv2-bench bench/lv2/Lv2RunBench.cpp)
    target_include_directories(vorpline-lv2-bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(vorpline-lv2-bench PRIVATE vorpline_lv2_core benchmark::benchmark)
endif()
