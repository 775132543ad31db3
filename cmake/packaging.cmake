# The Debian package, made by CPack (scripts/package). dpkg-shlibdeps finds the libraries the program links;
# the ones it loads at run time are named here: libcurl for http streams, TagLib's C interface for the tags of
# files opened outside the library, and mpg123's output modules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dak-mp3)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "DAK-MP3")
set(CPACK_PACKAGE_CONTACT "DAK-MP3 developers <dak-mp3@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MP3 player and jukebox in the system tray")
set(CPACK_PACKAGE_DESCRIPTION "A small MP3 player that lives in the system tray.
It plays MP3 files and HTTP streams, keeps a song library of named sets in
plain text files, and has system-wide hotkeys and an equalizer.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, libtagc0, mpg123")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
include(CPack)
