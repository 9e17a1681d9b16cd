# quillmere_add_test(<name> SOURCES <file>... [LIBRARIES <target>...] [ENVIRONMENT <VAR=value>...]
#                    [THREADS])
#
# Builds one Qt Test executable and registers it with CTest. Tests run headless
# on the offscreen platform unless ENVIRONMENT says otherwise.
#
# THREADS marks a test of code that runs threads of its own: it gets the label
# "threads", and the target quillmere_threaded_tests builds it, so that the
# ThreadSanitizer build makes and runs these tests alone.
if(NOT TARGET quillmere_threaded_tests)
    add_custom_target(quillmere_threaded_tests)
endif()

function(quillmere_add_test name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "THREADS" "" "SOURCES;LIBRARIES;ENVIRONMENT")
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${arg_LIBRARIES})
    target_compile_definitions(${name} PRIVATE
        QUILLMERE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        QUILLMERE_BINARY_DIR="${PROJECT_BINARY_DIR}")
    quillmere_set_warnings(${name})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${arg_ENVIRONMENT}"
        TIMEOUT 300)
    if(arg_THREADS)
        set_tests_properties(${name} PROPERTIES LABELS threads)
        add_dependencies(quillmere_threaded_tests ${name})
    endif()
endfunction()

# quillmere_add_x11_test(<name>)
#
# Runs the test <name> once more on an X server of its own, for what only a real
# window system shows; nothing where xvfb-run is missing. One X server at a time:
# xvfb-run picks its display number racily.
function(quillmere_add_x11_test name)
    find_program(QUILLMERE_XVFB_RUN xvfb-run)
    if(NOT QUILLMERE_XVFB_RUN OR WIN32)
        return()
    endif()
    add_test(NAME ${name}_x11
        COMMAND ${QUILLMERE_XVFB_RUN} -a -s "-screen 0 1024x768x24 -nolisten tcp -noreset" $<TARGET_FILE:${name}>)
    set_tests_properties(${name}_x11 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=xcb" RESOURCE_LOCK xvfb TIMEOUT 300)
endfunction()
