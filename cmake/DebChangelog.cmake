# cmake -DCHANGELOG=<file> -DVERSION=<x.y.z> -DGZIP=<gzip> -DOUTPUT=<file.gz> -P DebChangelog.cmake
#
# Compresses the package's changelog for /usr/share/doc/twist-delay, after
# checking that its latest entry is the version being packaged: a release
# without its entry would ship a changelog that stops one version early.
file(STRINGS "${CHANGELOG}" first LIMIT_COUNT 1)
if(NOT first MATCHES "^twist-delay \\(([^)]+)\\) ")
    message(FATAL_ERROR "${CHANGELOG}: the first line is not a Debian changelog entry: ${first}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message(FATAL_ERROR "${CHANGELOG}: the latest entry is ${CMAKE_MATCH_1}, the project is ${VERSION}; "
                        "add an entry for ${VERSION} at the top")
endif()
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
execute_process(COMMAND "${GZIP}" -9nc "${CHANGELOG}" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE failed)
if(failed)
    file(REMOVE "${OUTPUT}")
    message(FATAL_ERROR "gzip failed on ${CHANGELOG}")
endif()
