# Completes the LV2 bundle's description after JUCE's helper has written it:
# - the plug-in class (a delay, where JUCE writes only lv2:Plugin) and the
#   licence;
# - no empty maintainer mail address (JUCE writes `foaf:mbox <>` when no
#   company e-mail is set, which hosts resolve to the .ttl file's own URL);
# - the values of the scale points of stepped parameters in the parameter's
#   own range: JUCE writes them normalised (0, 0.5, 1 for a 0..2 parameter),
#   while hosts send, and the plug-in reads, values in that range.
#
#   cmake -DBUNDLE_DIR=<dir> -DPLUGIN_URI=<uri> -DLICENSE_URI=<uri> -P Lv2Metadata.cmake

cmake_minimum_required(VERSION 3.22)

foreach(var BUNDLE_DIR PLUGIN_URI LICENSE_URI)
    if(NOT ${var})
        message(FATAL_ERROR "Lv2Metadata.cmake needs -D${var}=...")
    endif()
endforeach()

set(dsp_ttl "${BUNDLE_DIR}/dsp.ttl")
if(NOT EXISTS "${dsp_ttl}")
    message(FATAL_ERROR "no ${dsp_ttl}: JUCE's LV2 helper has not written the bundle")
endif()

file(READ "${dsp_ttl}" ttl)

string(REPLACE "\t\tfoaf:mbox <> ;\n" "" ttl "${ttl}")

# The k-th scale point of a parameter from lv2:minimum m is worth m + k (the
# stepped parameters are integers and switches). JUCE ends every statement
# with a blank line.
set(fixed "")
set(rest "${ttl}")
while(NOT rest STREQUAL "")
    string(FIND "${rest}" "\n\n" end)
    if(end EQUAL -1)
        set(statement "${rest}")
        set(rest "")
    else()
        math(EXPR end "${end} + 2")
        string(SUBSTRING "${rest}" 0 ${end} statement)
        string(SUBSTRING "${rest}" ${end} -1 rest)
    endif()

    if(statement MATCHES "lv2:scalePoint" AND statement MATCHES "lv2:minimum (-?[0-9]+)")
        set(minimum ${CMAKE_MATCH_1})
        set(step 0)
        set(done "")
        while(TRUE)
            string(FIND "${statement}" "rdf:value " at)
            if(at EQUAL -1)
                break()
            endif()
            math(EXPR at "${at} + 10")
            string(SUBSTRING "${statement}" 0 ${at} head)
            string(SUBSTRING "${statement}" ${at} -1 statement)
            string(REGEX REPLACE "^[-+0-9.eE]+" "" statement "${statement}")
            math(EXPR value "${minimum} + ${step}")
            string(APPEND done "${head}${value}")
            math(EXPR step "${step} + 1")
        endwhile()
        set(statement "${done}${statement}")
    endif()
    string(APPEND fixed "${statement}")
endwhile()
set(ttl "${fixed}")

set(marker "# Twist Delay: class and licence")
if(NOT ttl MATCHES "${marker}")
    string(APPEND ttl
        "${marker}\n"
        "<${PLUGIN_URI}>\n"
        "\ta lv2:DelayPlugin ;\n"
        "\tdoap:license <${LICENSE_URI}> .\n")
endif()

file(WRITE "${dsp_ttl}" "${ttl}")
