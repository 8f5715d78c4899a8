# Run at install time: copies into the installed folder every DLL that the program and its
# plugins import, directly or through another DLL, from the folders that hold Qt and the
# compiler's run-time. What a file imports from Windows itself stays out.

if(prizedraw_cross_objdump)
    # On Linux CMake reads the Windows files with MinGW's objdump. It looks the imported
    # names up in lower case, which this disk tells apart, so it searches a folder of
    # lower-case links to the DLLs; each one found is installed under its own name.
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${prizedraw_cross_objdump}")
    file(REMOVE_RECURSE "${prizedraw_link_folder}")
    file(MAKE_DIRECTORY "${prizedraw_link_folder}")
    foreach(folder IN LISTS prizedraw_dll_folders)
        file(GLOB dlls "${folder}/*.dll")
        foreach(dll IN LISTS dlls)
            get_filename_component(name "${dll}" NAME)
            string(TOLOWER "${name}" lower)
            if(NOT EXISTS "${prizedraw_link_folder}/${lower}")
                file(CREATE_LINK "${dll}" "${prizedraw_link_folder}/${lower}" SYMBOLIC)
            endif()
        endforeach()
    endforeach()
    set(search_folders "${prizedraw_link_folder}")
else()
    set(search_folders ${prizedraw_dll_folders})
endif()

file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES ${prizedraw_executables}
    MODULES ${prizedraw_modules}
    DIRECTORIES ${search_folders}
    RESOLVED_DEPENDENCIES_VAR found
    UNRESOLVED_DEPENDENCIES_VAR missing
    PRE_INCLUDE_REGEXES "^[Qq][Tt]6" "^lib(stdc\\+\\+|gcc_s|winpthread)"
    PRE_EXCLUDE_REGEXES ".*"
    POST_EXCLUDE_REGEXES "[Ss]ystem32")
if(missing)
    message(FATAL_ERROR "No DLL found for: ${missing}")
endif()
foreach(dll IN LISTS found)
    file(REAL_PATH "${dll}" real)
    file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}" TYPE SHARED_LIBRARY FILES "${real}")
    # Debian's MinGW run-time carries its debugging information: 23 of its 24 MB.
    get_filename_component(name "${real}" NAME)
    if(CMAKE_INSTALL_DO_STRIP AND prizedraw_strip)
        execute_process(COMMAND "${prizedraw_strip}" --strip-debug "${CMAKE_INSTALL_PREFIX}/${name}"
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
