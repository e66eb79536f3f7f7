# Puts the starter presets beside the program without replacing any file already there, so a
# preset the user saved under a starter's name survives every build.
#   cmake -DSOURCE=<repo>/vpx -DTARGET=<build>/vpx -P CopyPresets.cmake
file(GLOB_RECURSE presets RELATIVE "${SOURCE}" "${SOURCE}/*")
foreach(preset IN LISTS presets)
    if(NOT EXISTS "${TARGET}/${preset}")
        get_filename_component(folder "${TARGET}/${preset}" DIRECTORY)
        file(COPY "${SOURCE}/${preset}" DESTINATION "${folder}")
    endif()
endforeach()
