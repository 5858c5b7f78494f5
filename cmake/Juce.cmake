# JUCE 7 modules from Debian, compiled once into one static position-independent library.
set(JUCE_MODULES_DIR "/usr/share/juce/modules" CACHE PATH "Folder holding the JUCE module sources")
if(NOT EXISTS "${JUCE_MODULES_DIR}/juce_core/juce_core.cpp")
    message(FATAL_ERROR "JUCE modules not found in ${JUCE_MODULES_DIR}: run scripts/setup.sh")
endif()

set(KELVANOR_JUCE_MODULES
    juce_core juce_events juce_data_structures juce_graphics juce_gui_basics juce_audio_basics
    juce_cryptography)

find_package(PkgConfig REQUIRED)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
find_package(X11 REQUIRED)

set(juce_sources)
foreach(module IN LISTS KELVANOR_JUCE_MODULES)
    list(APPEND juce_sources "${JUCE_MODULES_DIR}/${module}/${module}.cpp")
endforeach()

# The on-screen keyboard of juce_audio_utils, without the rest of that module: see its header.
list(APPEND juce_sources "${CMAKE_CURRENT_LIST_DIR}/juce_midi_keyboard/juce_midi_keyboard.cpp")

add_library(juce STATIC ${juce_sources})
target_include_directories(juce SYSTEM PUBLIC "${JUCE_MODULES_DIR}" "${CMAKE_CURRENT_LIST_DIR}" ${X11_INCLUDE_DIR})
target_compile_definitions(juce PUBLIC
    JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    JUCE_STANDALONE_APPLICATION=0
    JUCE_USE_CURL=0
    JUCE_WEB_BROWSER=0
    JUCE_USE_XSHM=1
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_CHECK_MEMORY_LEAKS=0
    $<IF:$<CONFIG:Debug>,DEBUG=1,NDEBUG=1>)
foreach(module IN LISTS KELVANOR_JUCE_MODULES)
    target_compile_definitions(juce PUBLIC JUCE_MODULE_AVAILABLE_${module}=1)
endforeach()
# Third-party code: its warnings are not ours to fix.
target_compile_options(juce PRIVATE -w)
target_link_libraries(juce PUBLIC PkgConfig::FREETYPE PNG::PNG JPEG::JPEG ZLIB::ZLIB Threads::Threads
    ${CMAKE_DL_LIBS} rt)
