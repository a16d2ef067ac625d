cmake_minimum_required(VERSION 3.25)
# Makes the .deb into a folder of its own, then checks what its control file says and that the
# desktop entry and the icons are inside.
set(out ${BUILD_FOLDER}/package-test)
file(REMOVE_RECURSE ${out})
execute_process(
    COMMAND ${CPACK} -G DEB -B ${out} --config ${BUILD_FOLDER}/CPackConfig.cmake
    WORKING_DIRECTORY ${BUILD_FOLDER}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cpack failed:\n${output}")
endif()
file(GLOB packages ${out}/clarivex_*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one clarivex_*.deb in ${out}, found: ${packages}")
endif()

execute_process(COMMAND ${DPKG_DEB} -f ${packages} Depends OUTPUT_VARIABLE depends
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb could not read the control file of ${packages}")
endif()
string(REPLACE "," ";" listed "${depends}")
list(TRANSFORM listed STRIP)
list(TRANSFORM listed REPLACE " .*" "")
# The libraries it links, the plugins that Qt loads by name at run time (a missing platform
# plugin aborts the window at start), the fonts of the theme, ffmpeg for videos, and xdg-utils
# for opening and revealing results.
foreach(needed libc6 libstdc++6 libvips42 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6
        libqt6dbus6 libqt6svg6 qt6-qpa-plugins fonts-inter fonts-material-design-icons-iconfont
        ffmpeg xdg-utils)
    if(NOT needed IN_LIST listed)
        message(FATAL_ERROR "Depends lacks ${needed}: ${depends}")
    endif()
endforeach()

execute_process(COMMAND ${DPKG_DEB} -c ${packages} OUTPUT_VARIABLE contents)
foreach(path ./usr/bin/clarivex ./usr/share/applications/clarivex.desktop
        ./usr/share/icons/hicolor/scalable/apps/clarivex.svg
        ./usr/share/icons/hicolor/48x48/apps/clarivex.png
        ./usr/share/icons/hicolor/256x256/apps/clarivex.png)
    string(FIND "${contents}" " ${path}\n" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${path} is not in the package:\n${contents}")
    endif()
endforeach()
file(REMOVE_RECURSE ${out})
