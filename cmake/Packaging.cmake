# `cpack -G DEB` from the build directory: one package with the binary and the desktop
# files; its dependencies are read off the binary's linked libraries by dpkg-shlibdeps,
# so they follow whatever Qt and libmpdclient the build used.
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VENDOR "Kelvane")
# A neutral address under the domain reserved for examples, until the project has one.
set(CPACK_PACKAGE_CONTACT "Kelvane maintainers <maintainers@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client for the Music Player Daemon")
set(CPACK_PACKAGE_DESCRIPTION
    "Kelvane shows and drives an MPD server: now-playing bar, album grid
with covers, play queue, stored playlists, saved radio streams and an
online radio directory. It offers the desktop's media-player interface
(MPRIS). The interface speaks English and French, following the
desktop's language.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY kelvane)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not linked, but loaded at run time: the platform plugins and Qt's own translations
# (key names, standard buttons, the command line's help). Recommended: the
# dbus-daemon of a session for the media keys.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "mpd, dbus-user-session | dbus-x11")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "playerctl")
include(CPack)
