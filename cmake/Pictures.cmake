# The panel's pictures (operator-connection schematics, waveform icons) are drawn by a small tool
# of ours at build time and land in assets/small beside the executables, where the program looks
# for them at run time.

find_package(Qt6 REQUIRED COMPONENTS Core Gui)

add_executable(vorpline-make-pictures ${CMAKE_CURRENT_LIST_DIR}/../tools/make_pictures.cpp)
target_link_libraries(vorpline-make-pictures PRIVATE Qt6::Gui)

set(VORPLINE_PICTURES_DIR ${CMAKE_BINARY_DIR}/assets)
set(VORPLINE_PICTURES)
foreach(n RANGE 7)
    list(APPEND VORPLINE_PICTURES
        ${VORPLINE_PICTURES_DIR}/small/cnt${n}.jpg
        ${VORPLINE_PICTURES_DIR}/small/wave${n}.png)
endforeach()

# The offscreen platform lets the tool render text on build machines without a display.
add_custom_command(
    OUTPUT ${VORPLINE_PICTURES}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:vorpline-make-pictures> ${VORPLINE_PICTURES_DIR}
    DEPENDS vorpline-make-pictures
    COMMENT "Drawing the panel pictures"
    VERBATIM)
add_custom_target(vorpline_pictures ALL DEPENDS ${VORPLINE_PICTURES})
