# zem2_use_patched_vst3_wrapper (<plug-in>_VST3) makes the VST3 target compile JUCE's wrapper from a copy of its
# module in the build tree, with vst3-wrapper-guards.patch applied (its header says why). Any other JUCE must fail
# here, at configure time, rather than in a host.

find_program (ZEM2_PATCH_EXECUTABLE patch REQUIRED)
set (ZEM2_JUCE_PATCHES_DIR "${CMAKE_CURRENT_LIST_DIR}")

function (zem2_use_patched_vst3_wrapper target)
    set (module juce_audio_plugin_client)
    set (original "${JUCE_MODULES_DIR}/${module}")
    set (copies "${CMAKE_BINARY_DIR}/juce-patched")
    set (copy "${copies}/${module}")
    set (patch "${ZEM2_JUCE_PATCHES_DIR}/vst3-wrapper-guards.patch")
    set (wrapper VST3/juce_VST3_Wrapper.cpp)
    set_property (DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${patch}")

    if (NOT JUCE_VERSION VERSION_EQUAL 7.0.5)
        message (FATAL_ERROR "${patch} is made for JUCE 7.0.5, not ${JUCE_VERSION}")
    endif()

    # Copied afresh only when the patch or the framework changed, so that the wrapper is not rebuilt on every configure.
    file (SHA256 "${patch}" patchHash)
    file (SHA256 "${original}/${wrapper}" wrapperHash)
    set (stamp "${copy}.stamp")
    set (previousHashes "")

    if (EXISTS "${stamp}" AND EXISTS "${copy}/${wrapper}")
        file (READ "${stamp}" previousHashes)
    endif()

    if (NOT previousHashes STREQUAL "${patchHash} ${wrapperHash}")
        file (REMOVE "${stamp}")
        file (REMOVE_RECURSE "${copy}")
        file (COPY "${original}" DESTINATION "${copies}")

        # Debian's sources end their lines with CR LF, which the patch tool will not match against the patch's LF.
        file (READ "${copy}/${wrapper}" text)
        string (REPLACE "\r\n" "\n" text "${text}")
        file (WRITE "${copy}/${wrapper}" "${text}")

        execute_process (
            COMMAND "${ZEM2_PATCH_EXECUTABLE}" -p1 --forward --batch --fuzz=0 --no-backup-if-mismatch --reject-file=- -i "${patch}"
            WORKING_DIRECTORY "${copy}"
            RESULT_VARIABLE result
            OUTPUT_VARIABLE output
            ERROR_VARIABLE output)

        if (NOT result EQUAL 0)
            message (FATAL_ERROR "${patch} does not apply to ${original}:\n${output}")
        endif()

        file (WRITE "${stamp}" "${patchHash} ${wrapperHash}")
    endif()

    get_target_property (sources juce_audio_plugin_client_VST3 INTERFACE_SOURCES)

    if (NOT "${original}/juce_audio_plugin_client_VST3.cpp" IN_LIST sources)
        message (FATAL_ERROR "JUCE's VST3 wrapper target does not compile ${original}/juce_audio_plugin_client_VST3.cpp")
    endif()

    # Every file of the module, headers included, must come from the copy: a header reached by two paths would be
    # defined twice.
    list (TRANSFORM sources REPLACE "^${original}/" "${copy}/")
    set_target_properties (juce_audio_plugin_client_VST3 PROPERTIES INTERFACE_SOURCES "${sources}")
    target_include_directories ("${target}" BEFORE PRIVATE "${copies}")
endfunction()
