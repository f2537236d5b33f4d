# `cmake --install <build> [--prefix <folder>]`: the plug-in bundles where
# Linux hosts look for them under the prefix (lib/vst3, lib/lv2), the
# standalone program and the command-line tools in bin, their manual pages,
# the licence and the README.
include(GNUInstallDirs)

set(TWIST_VST3_INSTALL_DIR "lib/vst3" CACHE STRING "Folder under the prefix for the VST3 bundle")
set(TWIST_LV2_INSTALL_DIR "lib/lv2" CACHE STRING "Folder under the prefix for the LV2 bundle")

install(DIRECTORY "$<GENEX_EVAL:$<TARGET_PROPERTY:TwistDelay_VST3,JUCE_PLUGIN_ARTEFACT_FILE>>"
        DESTINATION "${TWIST_VST3_INSTALL_DIR}" USE_SOURCE_PERMISSIONS COMPONENT plugins)
install(DIRECTORY "$<GENEX_EVAL:$<TARGET_PROPERTY:TwistDelay_LV2,JUCE_PLUGIN_ARTEFACT_FILE>>"
        DESTINATION "${TWIST_LV2_INSTALL_DIR}" USE_SOURCE_PERMISSIONS COMPONENT plugins)
# The standalone program's file name has a space; installed programs do not.
install(PROGRAMS "$<TARGET_FILE:TwistDelay_Standalone>"
        DESTINATION "${CMAKE_INSTALL_BINDIR}" RENAME twist-delay COMPONENT plugins)
install(TARGETS twist-render twist-snapshot RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT tools)

# Manual pages made from the tools' own --help and --version, so they never
# say anything else.
find_program(TWIST_HELP2MAN help2man)
if(TWIST_HELP2MAN)
    set(TWIST_MAN_PAGES)
    foreach(tool twist-render twist-snapshot)
        if(tool STREQUAL "twist-render")
            set(summary "render audio files through the Twist Delay plug-in")
        else()
            set(summary "render parts of the Twist Delay editor to PNG files")
        endif()
        set(page "${CMAKE_BINARY_DIR}/man/${tool}.1")
        add_custom_command(OUTPUT "${page}"
            COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/man"
            COMMAND "${TWIST_HELP2MAN}" --no-info --section 1 --name "${summary}" --output "${page}"
                    "$<TARGET_FILE:${tool}>"
            DEPENDS ${tool}
            COMMENT "Manual page ${tool}.1"
            VERBATIM)
        list(APPEND TWIST_MAN_PAGES "${page}")
    endforeach()
    add_custom_target(twist_man_pages ALL DEPENDS ${TWIST_MAN_PAGES})
    install(FILES ${TWIST_MAN_PAGES} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT tools)
else()
    message(STATUS "help2man not found: no manual pages (the tools' --help says the same)")
endif()

install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" "${PROJECT_SOURCE_DIR}/README.md"
              "${PROJECT_SOURCE_DIR}/resources/THIRD-PARTY-NOTICES.txt"
        DESTINATION "${CMAKE_INSTALL_DOCDIR}" COMPONENT plugins)
