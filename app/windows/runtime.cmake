# install_mingw_runtime(): the MinGW runtime DLLs the program needs beside it, stripped of
# their symbols (libstdc++ alone is 24 MB with them, 2 MB without): install(FILES) copies a
# file as it is, and CPack strips only what install(TARGETS) installs.
function(install_mingw_runtime)
    set(stripped_dir ${CMAKE_BINARY_DIR}/mingw-runtime)
    set(stripped)
    foreach(dll libstdc++-6 libgcc_s_seh-1 libwinpthread-1)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}.dll
                        OUTPUT_VARIABLE runtime_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${runtime_dll}")
            message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not find ${dll}.dll")
        endif()
        add_custom_command(OUTPUT ${stripped_dir}/${dll}.dll
            COMMAND ${CMAKE_COMMAND} -E make_directory ${stripped_dir}
            COMMAND ${CMAKE_STRIP} --strip-unneeded -o ${stripped_dir}/${dll}.dll ${runtime_dll}
            DEPENDS ${runtime_dll} VERBATIM)
        list(APPEND stripped ${stripped_dir}/${dll}.dll)
    endforeach()
    add_custom_target(mingw_runtime ALL DEPENDS ${stripped})
    install(FILES ${stripped} DESTINATION .)
endfunction()
