# JUCE 7 modules from Debian, patched in a copy of the build's own and compiled once into one static
# position-independent library.
set(JUCE_MODULES_DIR "/usr/share/juce/modules" CACHE PATH "Folder holding the JUCE module sources")
if(NOT EXISTS "${JUCE_MODULES_DIR}/juce_core/juce_core.cpp")
    message(FATAL_ERROR "JUCE modules not found in ${JUCE_MODULES_DIR}: run scripts/setup.sh")
endif()

set(KELVANOR_JUCE_MODULES
    juce_core juce_events juce_data_structures juce_graphics juce_gui_basics juce_audio_basics
    juce_cryptography)

# What a user's machine may hold must not take the host down inside JUCE either: each patch in juce/ says
# what it mends, and they are applied in the order of their names. The copy is made again whenever a patch
# or any file it is made from changes (a Debian revision may change a file a hunk touches, or only its
# context): a patch that no longer applies exactly stops the configure step, since building without it
# would bring the faults back unnoticed.
set(KELVANOR_JUCE_COPY "${CMAKE_BINARY_DIR}/juce-modules")
# juce_audio_utils for the on-screen keyboard's sources alone (see juce_midi_keyboard).
set(juce_copied_modules ${KELVANOR_JUCE_MODULES} juce_audio_utils)
file(GLOB KELVANOR_JUCE_PATCHES CONFIGURE_DEPENDS "${CMAKE_CURRENT_LIST_DIR}/juce/*.patch")
list(SORT KELVANOR_JUCE_PATCHES)
set(juce_copy_sources)
foreach(module IN LISTS juce_copied_modules)
    file(GLOB_RECURSE module_files LIST_DIRECTORIES false CONFIGURE_DEPENDS "${JUCE_MODULES_DIR}/${module}/*")
    list(APPEND juce_copy_sources ${module_files})
endforeach()
list(SORT juce_copy_sources)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KELVANOR_JUCE_PATCHES} ${juce_copy_sources})
set(juce_copy_stamp "${JUCE_MODULES_DIR}\n")
foreach(input IN LISTS juce_copy_sources KELVANOR_JUCE_PATCHES)
    file(SHA256 "${input}" input_hash)
    string(APPEND juce_copy_stamp "${input_hash} ${input}\n")
endforeach()
set(juce_copy_stamp_file "${KELVANOR_JUCE_COPY}/.patched")
set(juce_copy_made_from)
if(EXISTS "${juce_copy_stamp_file}")
    file(READ "${juce_copy_stamp_file}" juce_copy_made_from)
endif()
if(NOT juce_copy_made_from STREQUAL juce_copy_stamp)
    find_program(KELVANOR_PATCH_PROGRAM patch)
    if(NOT KELVANOR_PATCH_PROGRAM)
        message(FATAL_ERROR "The program 'patch' is missing: run scripts/setup.sh")
    endif()
    file(REMOVE_RECURSE "${KELVANOR_JUCE_COPY}")
    foreach(module IN LISTS juce_copied_modules)
        file(COPY "${JUCE_MODULES_DIR}/${module}" DESTINATION "${KELVANOR_JUCE_COPY}")
    endforeach()
    foreach(juce_patch IN LISTS KELVANOR_JUCE_PATCHES)
        execute_process(
            COMMAND "${KELVANOR_PATCH_PROGRAM}" -p1 --forward --batch --fuzz=0 --no-backup-if-mismatch
                    -d "${KELVANOR_JUCE_COPY}" -i "${juce_patch}"
            RESULT_VARIABLE juce_patch_result OUTPUT_VARIABLE juce_patch_output ERROR_VARIABLE juce_patch_output)
        if(NOT juce_patch_result EQUAL 0)
            file(REMOVE_RECURSE "${KELVANOR_JUCE_COPY}")
            message(FATAL_ERROR "${juce_patch} no longer applies to the JUCE modules in "
                                "${JUCE_MODULES_DIR}:\n${juce_patch_output}\nUpdate the patch to these modules; "
                                "the build must not go on without it.")
        endif()
    endforeach()
    # file(COPY) keeps the modules' own times, older than the objects of the copy it replaces: a file that
    # a patch no longer touches would not be compiled again. Every file of a new copy is new.
    file(GLOB_RECURSE juce_copy_files LIST_DIRECTORIES false "${KELVANOR_JUCE_COPY}/*")
    file(TOUCH_NOCREATE ${juce_copy_files})
    file(WRITE "${juce_copy_stamp_file}" "${juce_copy_stamp}")
endif()

find_package(PkgConfig REQUIRED)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
find_package(X11 REQUIRED)

set(juce_sources)
foreach(module IN LISTS KELVANOR_JUCE_MODULES)
    list(APPEND juce_sources "${KELVANOR_JUCE_COPY}/${module}/${module}.cpp")
endforeach()

# The on-screen keyboard of juce_audio_utils, without the rest of that module: see its header.
list(APPEND juce_sources "${CMAKE_CURRENT_LIST_DIR}/juce_midi_keyboard/juce_midi_keyboard.cpp")

add_library(juce STATIC ${juce_sources})
target_include_directories(juce SYSTEM PUBLIC "${KELVANOR_JUCE_COPY}" "${CMAKE_CURRENT_LIST_DIR}" ${X11_INCLUDE_DIR})
# The settings of every build of JUCE modules here, the string benchmark's unpatched juce_core too (the GUI
# modules' settings mean nothing to it).
set(KELVANOR_JUCE_DEFINITIONS
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_STANDALONE_APPLICATION=0
    JUCE_USE_CURL=0
    JUCE_WEB_BROWSER=0
    JUCE_USE_XSHM=1
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_CHECK_MEMORY_LEAKS=0
    $<IF:$<CONFIG:Debug>,DEBUG=1,NDEBUG=1>)
target_compile_definitions(juce PUBLIC ${KELVANOR_JUCE_DEFINITIONS})
foreach(module IN LISTS KELVANOR_JUCE_MODULES)
    target_compile_definitions(juce PUBLIC JUCE_MODULE_AVAILABLE_${module}=1)
endforeach()
# Third-party code: its warnings are not ours to fix.
target_compile_options(juce PRIVATE -w)
target_link_libraries(juce PUBLIC PkgConfig::FREETYPE PNG::PNG JPEG::JPEG ZLIB::ZLIB Threads::Threads
    ${CMAKE_DL_LIBS} rt)
