# quillmere_set_warnings(<target>)
#
# Every target of ours builds with the compiler's common warnings; CI turns them
# into errors with -DQUILLMERE_WERROR=ON.
function(quillmere_set_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /permissive-)
        if(QUILLMERE_WERROR)
            target_compile_options(${target} PRIVATE /WX)
        endif()
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
        if(QUILLMERE_WERROR)
            target_compile_options(${target} PRIVATE -Werror)
        endif()
    endif()
endfunction()
