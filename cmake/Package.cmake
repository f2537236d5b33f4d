# The Debian package, made by CPack from the install rules (cmake/Install.cmake)
# out of a built release tree: `make deb`, or scripts/make-deb.sh <build>.
# The package holds the plugins, tools, desktop, docs and deb components
# under /usr; the licence files of a plain install are in its copyright file.
#
# Depends is worked out by dpkg-shlibdeps from the shared libraries the
# binaries link, never written by hand.

set(TWIST_PACKAGE_MAINTAINER "Twist Audio <packages@twistdelay.audio>" CACHE STRING
    "Maintainer field of the Debian package (Name <address>)")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME twist-delay)
set(CPACK_PACKAGE_VENDOR "Twist Audio")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stereo multi-tap delay plug-in (LV2, VST3 and standalone)")
# The stripped tools (the plug-ins and the standalone program are stripped
# when they are built).
set(CPACK_STRIP_FILES ON)

# One package of the chosen components; the licences component is left out.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL plugins tools desktop docs deb)

set(CPACK_DEBIAN_PACKAGE_NAME twist-delay)
# twist-delay_<version>_<architecture>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TWIST_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://twistdelay.audio")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# xz, as Debian's own packages: a third of gzip's size (4.6 MB against
# 13.8), for about 30 s more on one core. Not multi-threaded: xz's threads
# compress in blocks, and the package grows by a third.
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The extended description; the synopsis line is the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Twist Delay lays up to 64 echoes of its input across a time window of up to
14 seconds; one shaping control, Twist, bends the layout so that the echoes
crowd toward the start or the end of the window. A tape stage, pitch/chorus,
Wave modulation and tremolo colour the echoes; presets, randomization with
undo and an animated editor that shows every tap live complete it.

The package holds the LV2 and VST3 plug-ins, the standalone program
twist-delay (ALSA or JACK) with its menu entry, and two command-line tools:
twist-render renders audio files through the plug-in offline, and
twist-snapshot renders the editor to PNG pictures.")

include(CPack)
