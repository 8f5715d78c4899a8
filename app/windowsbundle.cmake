# Windows: the portable folder carries the Qt DLLs, the plugins the program loads and the
# compiler's run-time DLLs beside prizedraw.exe, where Windows and Qt look for them first.
# CMake reads the DLLs each file imports (windowsdlls.cmake), so no list of names is kept.
# prizedraw-verify.exe, the console program that checks a draw, lies beside it.
install(TARGETS prizedraw prizedraw-verify RUNTIME DESTINATION .)

# The windows platform, the native look of the buttons (Qt 6.7 renamed that style's
# plugin), JPEG for the operator's own stage picture (Qt Gui reads PNG itself) and the
# media backend.
set(plugin_files "")
function(prizedraw_install_plugin)
    foreach(plugin IN LISTS ARGN)
        if(NOT TARGET Qt6::${plugin})
            find_package(Qt6${plugin} CONFIG QUIET
                PATHS "${Qt6Gui_DIR}" "${Qt6Widgets_DIR}" "${Qt6Multimedia_DIR}" NO_DEFAULT_PATH)
        endif()
        if(TARGET Qt6::${plugin})
            get_target_property(type Qt6::${plugin} QT_PLUGIN_TYPE)
            install(IMPORTED_RUNTIME_ARTIFACTS Qt6::${plugin} LIBRARY DESTINATION ${type})
            set(plugin_files ${plugin_files} "$<TARGET_FILE:Qt6::${plugin}>" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    message(FATAL_ERROR "None of these Qt plugins is installed: ${ARGN}")
endfunction()
prizedraw_install_plugin(QWindowsIntegrationPlugin)
prizedraw_install_plugin(QModernWindowsStylePlugin QWindowsVistaStylePlugin)
prizedraw_install_plugin(QJpegPlugin)
# The sound's media backend (Media Foundation): the operator's MP3s and the background music.
prizedraw_install_plugin(QWindowsMediaPlugin)

# Where the DLLs are found: Qt's bin folder, and for MinGW the folders of its run-time
# DLLs, which the compiler names.
set(dll_folders "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
if(MINGW)
    foreach(dll IN ITEMS libstdc++-6.dll libwinpthread-1.dll)
        execute_process(COMMAND "${CMAKE_CXX_COMPILER}" -print-file-name=${dll}
            OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
        get_filename_component(folder "${found}" DIRECTORY)
        list(APPEND dll_folders "${folder}")
    endforeach()
else()
    # MSVC's run-time comes from the Visual Studio installation.
    set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION .)
    include(InstallRequiredSystemLibraries)
endif()

install(CODE "
    set(prizedraw_executables \"$<TARGET_FILE:prizedraw>;$<TARGET_FILE:prizedraw-verify>\")
    set(prizedraw_modules \"${plugin_files}\")
    set(prizedraw_dll_folders \"${dll_folders}\")
    set(prizedraw_cross_objdump \"$<$<BOOL:${CMAKE_CROSSCOMPILING}>:${CMAKE_OBJDUMP}>\")
    set(prizedraw_link_folder \"${CMAKE_CURRENT_BINARY_DIR}/dll-names\")
    set(prizedraw_strip \"${CMAKE_STRIP}\")
")
install(SCRIPT windowsdlls.cmake)
