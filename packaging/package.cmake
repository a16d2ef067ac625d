# `cpack -G DEB` in the build folder makes clarivex_VERSION_amd64.deb. Its dependencies are the
# Debian 12 packages the program needs at run time: the libraries it links, the Qt platform
# plugins it loads (xcb, offscreen), the SVG plugins for its icon, its two fonts, ffmpeg for
# videos and video previews, and xdg-utils, through which "Открыть" and "Показать в папке" reach
# the desktop. The engine is not packaged; scripts/install-engine fetches it.
set(CPACK_PACKAGE_NAME clarivex)
set(CPACK_PACKAGE_VENDOR Clarivex)
set(CPACK_PACKAGE_CONTACT "Clarivex <clarivex@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Enlarges photos and videos with Real-ESRGAN")
set(CPACK_PACKAGE_DESCRIPTION
    "Clarivex enlarges photos and videos with the realesrgan-ncnn-vulkan network and\nbrings them to an exact size. It needs that engine, installed separately.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libgcc-s1, libvips42, libqt6core6, libqt6gui6, libqt6widgets6, libqt6network6, libqt6dbus6, libqt6svg6, libxcb1, qt6-qpa-plugins, qt6-translations-l10n, fonts-inter, fonts-material-design-icons-iconfont, ffmpeg, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libvulkan1, mesa-vulkan-drivers")
set(CPACK_STRIP_FILES ON)
include(CPack)
