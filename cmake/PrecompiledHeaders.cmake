# JUCE's headers, compiled once per group of targets instead of in every source that includes them.
#
# GCC takes a precompiled header only where it was made with the same position-independence: the static
# libraries are built with -fPIC, the programs with -fPIE, so each has its own. Within a group the targets
# share one through REUSE_FROM; their other options differ only in warnings and in definitions that JUCE's
# headers do not read (-Winvalid-pch reports any header that is not taken).
#
# The processor's libraries, and the check that their headers stay free of the GUI toolkit, get headers
# without juce_gui_basics: that check fails when juce_gui_basics has been included, so it also keeps the
# processor's precompiled header free of it. Configure with -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON to build
# without any, e.g. to see that every source includes what it uses.

set(KELVANOR_PROCESSOR_PCH_HEADERS
    <juce_core/juce_core.h> <juce_events/juce_events.h> <juce_audio_basics/juce_audio_basics.h>)
set(KELVANOR_GUI_PCH_HEADERS <juce_gui_basics/juce_gui_basics.h> <juce_audio_basics/juce_audio_basics.h>)
set(KELVANOR_TEST_PCH_HEADERS ${KELVANOR_GUI_PCH_HEADERS} <gtest/gtest.h> <gmock/gmock.h>)

# A source that configures JUCE (defines a JUCE_ macro) before including it would find the headers already
# read without its setting: it compiles on its own.
function(kelvanor_skip_pch_where_juce_is_configured target)
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    foreach(source IN LISTS sources)
        if(NOT IS_ABSOLUTE "${source}")
            set(source "${source_dir}/${source}")
        endif()
        if(source MATCHES "\\.cpp$" AND EXISTS "${source}")
            file(STRINGS "${source}" juce_settings REGEX "^[ \t]*#[ \t]*define[ \t]+JUCE_")
            if(juce_settings)
                set_source_files_properties("${source}" TARGET_DIRECTORY ${target}
                                            PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
            endif()
        endif()
    endforeach()
endfunction()

# The first target makes the precompiled header from the given headers; the others that exist reuse it.
function(kelvanor_share_precompiled_headers headers owner)
    target_precompile_headers(${owner} PRIVATE ${${headers}})
    kelvanor_skip_pch_where_juce_is_configured(${owner})
    foreach(target IN LISTS ARGN)
        if(TARGET ${target})
            target_precompile_headers(${target} REUSE_FROM ${owner})
            kelvanor_skip_pch_where_juce_is_configured(${target})
        endif()
    endforeach()
endfunction()

kelvanor_share_precompiled_headers(KELVANOR_PROCESSOR_PCH_HEADERS
    kelvanor_vst kelvanor_framework kelvanor_engine kelvanor_no_gui_check kelvanor_hostlib)
kelvanor_share_precompiled_headers(KELVANOR_GUI_PCH_HEADERS
    kelvanor_skin kelvanor_editor kelvanor_plugin kelvanor_test_support)
kelvanor_share_precompiled_headers(KELVANOR_GUI_PCH_HEADERS
    kelvanor_gallery kelvanor_skin_artwork kelvanor_skin_render kelvanor_bench)

if(TARGET vst_tests)
    kelvanor_share_precompiled_headers(KELVANOR_TEST_PCH_HEADERS
        vst_tests framework_tests engine_tests skin_tests editor_tests host_tests plugin_tests)
endif()

# The voice's render includes no JUCE and is compiled with floating-point options of its own.
set_source_files_properties(engine/KelvanorCore.cpp PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
