# `cmake --install <build> [--prefix <folder>]`: the plug-in bundles where
# Linux hosts look for them under the prefix (lib/vst3, lib/lv2), the
# standalone program and the command-line tools in bin, their manual pages,
# the desktop entry and its icon, the README, the licence and the
# third-party notices. The Debian package (cmake/Package.cmake) is made from
# the same rules, so the two trees never differ in what they hold.
#
# Components: plugins (the bundles, the standalone program and its page),
# tools (twist-render, twist-snapshot and their pages), desktop (the menu
# entry and the icons), docs (what a user reads: the README), licences
# (LICENSE and the third-party notices, which the package's copyright file
# holds instead) and deb (that copyright file and the package's changelog,
# installed only into the package).

# Folders the install creates are readable by everyone, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(GNUInstallDirs)
# The documentation folder is named as the package is, whatever the prefix.
set(TWIST_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/twist-delay")

set(TWIST_VST3_INSTALL_DIR "lib/vst3" CACHE STRING "Folder under the prefix for the VST3 bundle")
set(TWIST_LV2_INSTALL_DIR "lib/lv2" CACHE STRING "Folder under the prefix for the LV2 bundle")

set(TWIST_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging")
find_program(TWIST_GZIP gzip REQUIRED)

# Everything the default install takes from the build, for building only
# that (scripts/make-deb.sh, the installed-tree test) instead of the whole
# tree with its tests.
add_custom_target(twist_installables)
add_dependencies(twist_installables TwistDelay_VST3 TwistDelay_LV2 TwistDelay_Standalone twist-render twist-snapshot)

# The bundles' files are data to their hosts, which load the shared objects
# without needing them executable; installed as Debian installs libraries.
foreach(format VST3 LV2)
    install(DIRECTORY "$<GENEX_EVAL:$<TARGET_PROPERTY:TwistDelay_${format},JUCE_PLUGIN_ARTEFACT_FILE>>"
            DESTINATION "${TWIST_${format}_INSTALL_DIR}"
            FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
            DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ
                                  WORLD_EXECUTE
            COMPONENT plugins)
endforeach()
# The standalone program's file name has a space; installed programs do not.
install(PROGRAMS "$<TARGET_FILE:TwistDelay_Standalone>"
        DESTINATION "${CMAKE_INSTALL_BINDIR}" RENAME twist-delay COMPONENT plugins)
install(TARGETS twist-render twist-snapshot RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT tools)

# Manual pages, compressed as man-db reads them and Debian installs them
# (gzip -n: no name or time stamp, so the same page gives the same bytes).
# The tools' pages are made from their own --help and --version, so they
# never say anything else; the standalone program has no --help, and its
# page is written by hand.
set(TWIST_MAN_DIR "${CMAKE_BINARY_DIR}/man")
configure_file("${TWIST_PACKAGING_DIR}/twist-delay.1.in" "${TWIST_MAN_DIR}/twist-delay.1" @ONLY)
add_custom_command(OUTPUT "${TWIST_MAN_DIR}/twist-delay.1.gz"
    COMMAND "${TWIST_GZIP}" -9nkf "${TWIST_MAN_DIR}/twist-delay.1"
    DEPENDS "${TWIST_MAN_DIR}/twist-delay.1"
    COMMENT "Manual page twist-delay.1"
    VERBATIM)
set(TWIST_PLUGIN_MAN_PAGES "${TWIST_MAN_DIR}/twist-delay.1.gz")
set(TWIST_TOOL_MAN_PAGES)

find_program(TWIST_HELP2MAN help2man)
if(TWIST_HELP2MAN)
    foreach(tool twist-render twist-snapshot)
        if(tool STREQUAL "twist-render")
            set(summary "render audio files through the Twist Delay plug-in")
        else()
            set(summary "render parts of the Twist Delay editor to PNG files")
        endif()
        set(page "${TWIST_MAN_DIR}/${tool}.1")
        add_custom_command(OUTPUT "${page}.gz"
            COMMAND "${TWIST_HELP2MAN}" --no-info --section 1 --name "${summary}" --output "${page}"
                    "$<TARGET_FILE:${tool}>"
            COMMAND "${TWIST_GZIP}" -9nf "${page}"
            DEPENDS ${tool}
            COMMENT "Manual page ${tool}.1"
            VERBATIM)
        list(APPEND TWIST_TOOL_MAN_PAGES "${page}.gz")
    endforeach()
else()
    message(STATUS "help2man not found: no manual pages for the tools (their --help says the same)")
endif()
add_custom_target(twist_man_pages ALL DEPENDS ${TWIST_PLUGIN_MAN_PAGES} ${TWIST_TOOL_MAN_PAGES})
add_dependencies(twist_installables twist_man_pages)
install(FILES ${TWIST_PLUGIN_MAN_PAGES} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT plugins)
if(TWIST_TOOL_MAN_PAGES)
    install(FILES ${TWIST_TOOL_MAN_PAGES} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT tools)
endif()

# The standalone program in the desktop's menu, with its icon: the SVG for
# any size, and the PNG sizes desktops and docks ask for, rendered from it by
# librsvg (which also draws the SVG wherever a desktop shows it).
install(FILES "${TWIST_PACKAGING_DIR}/twist-delay.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications" COMPONENT desktop)
install(FILES "${TWIST_PACKAGING_DIR}/twist-delay.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps" COMPONENT desktop)
find_program(TWIST_RSVG_CONVERT rsvg-convert)
if(TWIST_RSVG_CONVERT)
    set(TWIST_ICONS)
    foreach(size 16 24 32 48 64 128 256)
        set(folder "${CMAKE_BINARY_DIR}/icons/${size}x${size}")
        add_custom_command(OUTPUT "${folder}/twist-delay.png"
            COMMAND ${CMAKE_COMMAND} -E make_directory "${folder}"
            COMMAND "${TWIST_RSVG_CONVERT}" --width ${size} --height ${size} --output "${folder}/twist-delay.png"
                    "${TWIST_PACKAGING_DIR}/twist-delay.svg"
            DEPENDS "${TWIST_PACKAGING_DIR}/twist-delay.svg"
            COMMENT "Icon ${size}x${size}"
            VERBATIM)
        list(APPEND TWIST_ICONS "${folder}/twist-delay.png")
        install(FILES "${folder}/twist-delay.png"
                DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" COMPONENT desktop)
    endforeach()
    add_custom_target(twist_icons ALL DEPENDS ${TWIST_ICONS})
    add_dependencies(twist_installables twist_icons)
else()
    message(STATUS "rsvg-convert not found: the icon is installed as SVG only")
endif()

install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION "${TWIST_DOC_DIR}" COMPONENT docs)
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" "${PROJECT_SOURCE_DIR}/resources/THIRD-PARTY-NOTICES.txt"
        DESTINATION "${TWIST_DOC_DIR}" COMPONENT licences)

# The package's copyright file (Debian's machine-readable format) and its
# changelog, whose latest entry must name the version being packaged.
set(TWIST_DEB_CHANGELOG "${CMAKE_BINARY_DIR}/deb/changelog.gz")
add_custom_command(OUTPUT "${TWIST_DEB_CHANGELOG}"
    COMMAND ${CMAKE_COMMAND} -DCHANGELOG=${TWIST_PACKAGING_DIR}/changelog -DVERSION=${PROJECT_VERSION}
            -DGZIP=${TWIST_GZIP} -DOUTPUT=${TWIST_DEB_CHANGELOG} -P "${PROJECT_SOURCE_DIR}/cmake/DebChangelog.cmake"
    DEPENDS "${TWIST_PACKAGING_DIR}/changelog" "${PROJECT_SOURCE_DIR}/cmake/DebChangelog.cmake"
    COMMENT "Package changelog"
    VERBATIM)
add_custom_target(twist_deb_changelog DEPENDS "${TWIST_DEB_CHANGELOG}")
install(FILES "${TWIST_PACKAGING_DIR}/copyright" "${TWIST_DEB_CHANGELOG}"
        DESTINATION "${TWIST_DOC_DIR}" COMPONENT deb EXCLUDE_FROM_ALL)
