# -DQUILLMERE_SANITIZE=<list> builds every target of ours with the compiler's sanitizers, as
# clang and GCC name them: "address,undefined", or "thread" (which no other combines with).
#
# The first error ends the program, so that a test cannot pass with a fault reported along the
# way. Qt and the system libraries stay uninstrumented; tools/sanitizers/ holds the run-time
# options and the few suppressions for reports that arise inside them.
set(QUILLMERE_SANITIZE "" CACHE STRING
    "Sanitizers to build with, comma-separated (address,undefined or thread); empty for none")

if(QUILLMERE_SANITIZE)
    if(MSVC)
        message(FATAL_ERROR "QUILLMERE_SANITIZE takes clang's or GCC's sanitizer names")
    endif()
    # Frame pointers keep the stacks of the reports whole at little cost.
    add_compile_options(
        "-fsanitize=${QUILLMERE_SANITIZE}"
        -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
    add_link_options("-fsanitize=${QUILLMERE_SANITIZE}")
    message(STATUS "Sanitizers: ${QUILLMERE_SANITIZE}")
endif()

# See tools/sanitizers/cloneasfork.cpp: how programs start programs under ThreadSanitizer.
if(QUILLMERE_SANITIZE MATCHES "thread" AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
    add_library(quillmere_cloneasfork OBJECT "${PROJECT_SOURCE_DIR}/tools/sanitizers/cloneasfork.cpp")
    set_target_properties(quillmere_cloneasfork PROPERTIES AUTOMOC OFF)
    quillmere_set_warnings(quillmere_cloneasfork)
    link_libraries(quillmere_cloneasfork)
endif()
