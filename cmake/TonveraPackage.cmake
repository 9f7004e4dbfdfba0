# The Debian package, built by scripts/package.sh with `cpack -G DEB`. Its contents are the
# install rules (data/CMakeLists.txt); its dependencies come from dpkg-shlibdeps, plus what
# the program loads at run time without linking it.

# The packaging revision: raise it for a new package of the same version, and start each
# version's entry in data/debian/changelog with "tonvera (<version>-<revision>)".
set(TONVERA_DEBIAN_REVISION 1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tonvera)
set(CPACK_PACKAGE_VENDOR Corvanet)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps the sound on your preferred speaker")
set(CPACK_PACKAGE_DESCRIPTION
    "Tonvera remembers the name of the speaker you chose and selects it again\n"
    "after every wake and, if you want, right after login. It lives in the\n"
    "system tray, works with PulseAudio and PipeWire, and stays out of the way\n"
    "otherwise.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${TONVERA_DEBIAN_REVISION}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Corvanet <support@corvanet.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://updates.corvanet.com/tonvera/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins (xcb) and the plugins that draw our SVG icons at run time, so
# dpkg-shlibdeps cannot see them; nor libQt6Svg, which the linker drops as unused. Our icons
# join the hicolor theme, whose index.theme comes from hicolor-icon-theme.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "pulseaudio | pipewire-pulse, pulseaudio-utils | wireplumber, jq, qt6-wayland")
# Qt's own texts (standard buttons, text field menus) in the user's language.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-translations-l10n")

include(CPack)
