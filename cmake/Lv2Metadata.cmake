# Completes the LV2 bundle's description after JUCE's helper has written it:
# - the plug-in class (a delay, where JUCE writes only lv2:Plugin) and the
#   licence;
# - no empty maintainer mail address (JUCE writes `foaf:mbox <>` when no
#   company e-mail is set, which hosts resolve to the .ttl file's own URL);
# - the values of the scale points of stepped parameters in the parameter's
#   own range: JUCE writes them normalised (0, 0.5, 1 for a 0..2 parameter),
#   while hosts send, and the plug-in reads, values in that range;
# - what the LV2 vocabulary allows where JUCE writes otherwise, so that
#   lv2_validate finds nothing to report:
#   - parameters carry no port properties (lv2:portProperty is for ports):
#     a switch says it is one through its range, atom:Bool (hosts, JUCE's
#     among them, show a Bool parameter as a toggle and send 0 or 1), and a
#     stepped parameter keeps its scale points and its atom:Float range
#     (JUCE's host truncates what it sends to an atom:Int parameter, which
#     could land a step low);
#   - the plug-in is a doap:Project, the class doap:maintainer and
#     doap:release belong to;
#   - the state property of the factory presets in manifest.ttl (JUCE's
#     program number) is defined, with a label;
#   - the UI names ui:noUserResize only as a feature and opts:interface only
#     as extension data, the classes they are.
# Port symbols and indices, parameter URIs and the plug-in URI stay as JUCE
# writes them: saved sessions and presets refer to them.
#
#   cmake -DBUNDLE_DIR=<dir> -DPLUGIN_URI=<uri> -DLICENSE_URI=<uri> -P Lv2Metadata.cmake

cmake_minimum_required(VERSION 3.22)

foreach(var BUNDLE_DIR PLUGIN_URI LICENSE_URI)
    if(NOT ${var})
        message(FATAL_ERROR "Lv2Metadata.cmake needs -D${var}=...")
    endif()
endforeach()

set(dsp_ttl "${BUNDLE_DIR}/dsp.ttl")
set(manifest_ttl "${BUNDLE_DIR}/manifest.ttl")
set(ui_ttl "${BUNDLE_DIR}/ui.ttl")
foreach(file dsp_ttl manifest_ttl ui_ttl)
    if(NOT EXISTS "${${file}}")
        message(FATAL_ERROR "no ${${file}}: JUCE's LV2 helper has not written the bundle")
    endif()
endforeach()

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

    if(statement MATCHES "\ta lv2:Parameter ;\n")
        if(statement MATCHES "\tlv2:portProperty lv2:enumeration , lv2:toggled ;\n")
            string(REPLACE "\trdfs:range atom:Float ;\n" "\trdfs:range atom:Bool ;\n" statement "${statement}")
        endif()
        string(REGEX REPLACE "\tlv2:portProperty [^\n]*\n" "" statement "${statement}")
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

set(marker "# Twist Delay: class, project and licence")
if(NOT ttl MATCHES "${marker}")
    string(APPEND ttl
        "${marker}\n"
        "<${PLUGIN_URI}>\n"
        "\ta lv2:DelayPlugin , doap:Project ;\n"
        "\tdoap:license <${LICENSE_URI}> .\n")
endif()

file(WRITE "${dsp_ttl}" "${ttl}")

# The presets' state holds one value, the program number, under JUCE's
# property <plug-in URI>:Program.
file(READ "${manifest_ttl}" manifest)
set(marker "# Twist Delay: the presets' state property")
if(NOT manifest MATCHES "${marker}")
    string(APPEND manifest
        "${marker}\n"
        "<${PLUGIN_URI}:Program>\n"
        "\ta rdf:Property ;\n"
        "\trdfs:label \"program\" ;\n"
        "\trdfs:comment \"The number of the factory program a preset selects.\" ;\n"
        "\trdfs:range xsd:int .\n")
    string(REPLACE "@prefix rdfs:" "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n@prefix rdfs:"
        manifest "${manifest}")
endif()
file(WRITE "${manifest_ttl}" "${manifest}")

file(READ "${ui_ttl}" ui)
string(REPLACE "\t\topts:interface ,\n\t\tui:noUserResize ,\n\t\tui:resize ;\n" "\t\topts:interface ,\n\t\tui:resize ;\n"
    ui "${ui}")
string(REPLACE "\tlv2:optionalFeature\n\t\tui:noUserResize ,\n\t\topts:interface ,\n"
    "\tlv2:optionalFeature\n\t\tui:noUserResize ,\n" ui "${ui}")
file(WRITE "${ui_ttl}" "${ui}")
