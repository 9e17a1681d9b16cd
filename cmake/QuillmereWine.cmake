# Built for Windows on another system: the tests run under Wine, through tools/windows/wine-run.sh,
# which CMake puts before every test program (CMAKE_CROSSCOMPILING_EMULATOR). The programs find
# Qt's DLLs and plugins in the kit and the MinGW run-time DLLs where the compiler keeps them; the
# Wine prefix is the build's own, made at the first run.
find_program(QUILLMERE_WINE NAMES wine)
if(NOT QUILLMERE_WINE)
    message(STATUS "No Wine: the Windows tests can be built but not run here")
    return()
endif()

set(dll_dirs "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
foreach(runtime libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${runtime}
        OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(IS_ABSOLUTE "${runtime_path}")
        get_filename_component(runtime_dir "${runtime_path}" DIRECTORY)
        list(APPEND dll_dirs "${runtime_dir}")
    endif()
endforeach()
list(JOIN dll_dirs ":" dll_path)

set(QUILLMERE_WINE_PREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "The Wine prefix the tests run in")
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${PROJECT_SOURCE_DIR}/tools/windows/wine-run.sh;${QUILLMERE_WINE_PREFIX};${dll_path}")
