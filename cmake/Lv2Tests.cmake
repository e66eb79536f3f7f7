# The tests load the bundle through lilv, as a host does. A test program of their own, so
# building the other tests never builds the plugin.
pkg_check_modules(LILV REQUIRED IMPORTED_TARGET lilv-0)
file(GLOB LV2_TEST_SOURCES CONFIGURE_DEPENDS tests/lv2/*.cpp)
add_executable(vorpline_lv2_tests ${LV2_TEST_SOURCES} tests/support/AllocationCounter.cpp)
target_include_directories(vorpline_lv2_tests PRIVATE tests)
target_link_libraries(vorpline_lv2_tests PRIVATE vorpline_lv2_core PkgConfig::LILV
    GTest::gtest GTest::gtest_main)
target_compile_definitions(vorpline_lv2_tests PRIVATE
    VORPLINE_LV2_BUNDLE="${VORPLINE_LV2_BUNDLE}/")
add_dependencies(vorpline_lv2_tests vorpline_lv2_bundle)
gtest_discover_tests(vorpline_lv2_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
find_program(LV2_VALIDATE lv2_validate)
if(LV2_VALIDATE)
    add_test(NAME lv2_validate COMMAND ${CMAKE_SOURCE_DIR}/scripts/lv2-validate.sh
        ${VORPLINE_LV2_BUNDLE})
endif()
