# zem2_patch_juce_module (<module> <target> <patch>) makes <target>, the JUCE target that compiles <module>'s
# sources, compile them from a copy of the module in the build tree with <patch> applied (each patch's header says
# why). Any other JUCE must fail here, at configure time, rather than in a host.
#
# Every file of a patched module, headers included, must come from the copy: a header reached by two paths would be
# defined twice. So the folder of the copies goes first on the include path of every target of this project.

find_program (ZEM2_PATCH_EXECUTABLE patch REQUIRED)
set (ZEM2_JUCE_PATCHES_DIR "${CMAKE_CURRENT_LIST_DIR}")
set (ZEM2_PATCHED_JUCE_DIR "${CMAKE_BINARY_DIR}/juce-patched")
include_directories (BEFORE "${ZEM2_PATCHED_JUCE_DIR}")

function (zem2_patch_juce_module module target patchName)
    set (original "${JUCE_MODULES_DIR}/${module}")
    set (copy "${ZEM2_PATCHED_JUCE_DIR}/${module}")
    set (patch "${ZEM2_JUCE_PATCHES_DIR}/${patchName}")
    set_property (DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${patch}")

    if (NOT JUCE_VERSION VERSION_EQUAL 7.0.5)
        message (FATAL_ERROR "${patch} is made for JUCE 7.0.5, not ${JUCE_VERSION}")
    endif()

    # The files the patch changes, from its "+++ b/<file>" lines.
    file (STRINGS "${patch}" patchedLines REGEX "^\\+\\+\\+ b/")
    list (TRANSFORM patchedLines REPLACE "^\\+\\+\\+ b/([^\t ]+).*$" "\\1")

    # Copied afresh only when the patch or the framework changed, so that the module is not rebuilt on every configure.
    file (SHA256 "${patch}" hashes)

    foreach (patched IN LISTS patchedLines)
        file (SHA256 "${original}/${patched}" hash)
        string (APPEND hashes " ${hash}")
    endforeach()

    set (stamp "${copy}.stamp")
    set (previousHashes "")

    if (EXISTS "${stamp}")
        file (READ "${stamp}" previousHashes)
    endif()

    if (NOT previousHashes STREQUAL hashes)
        file (REMOVE "${stamp}")
        file (REMOVE_RECURSE "${copy}")
        file (COPY "${original}" DESTINATION "${ZEM2_PATCHED_JUCE_DIR}")

        # Debian's sources end their lines with CR LF, which the patch tool will not match against the patch's LF.
        foreach (patched IN LISTS patchedLines)
            file (READ "${copy}/${patched}" text)
            string (REPLACE "\r\n" "\n" text "${text}")
            file (WRITE "${copy}/${patched}" "${text}")
        endforeach()

        execute_process (
            COMMAND "${ZEM2_PATCH_EXECUTABLE}" -p1 --forward --batch --fuzz=0 --no-backup-if-mismatch --reject-file=- -i "${patch}"
            WORKING_DIRECTORY "${copy}"
            RESULT_VARIABLE result
            OUTPUT_VARIABLE output
            ERROR_VARIABLE output)

        if (NOT result EQUAL 0)
            message (FATAL_ERROR "${patch} does not apply to ${original}:\n${output}")
        endif()

        file (WRITE "${stamp}" "${hashes}")
    endif()

    get_target_property (sources "${target}" INTERFACE_SOURCES)
    list (FILTER sources INCLUDE REGEX "^${original}/")

    if (NOT sources)
        message (FATAL_ERROR "JUCE's target ${target} does not compile sources of ${original}")
    endif()

    get_target_property (sources "${target}" INTERFACE_SOURCES)
    list (TRANSFORM sources REPLACE "^${original}/" "${copy}/")
    set_target_properties ("${target}" PROPERTIES INTERFACE_SOURCES "${sources}")
endfunction()
