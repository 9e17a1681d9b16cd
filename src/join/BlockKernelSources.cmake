set(QUILLMERE_BLOCKKERNEL_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/blockkernels.h
    ${CMAKE_CURRENT_LIST_DIR}/blockplan.h
    ${CMAKE_CURRENT_LIST_DIR}/blockkernels_portable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/blockkernels_x86.cpp
    ${CMAKE_CURRENT_LIST_DIR}/blockkernels_ssse3.cpp
    ${CMAKE_CURRENT_LIST_DIR}/blockkernels_avx2.cpp
)
