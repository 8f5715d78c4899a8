# Linux: the portable folder carries the Qt libraries and plugins the program loads, so the
# operator's machine needs no Qt package. The libraries go to lib/, the plugins to
# plugins/<type>/, and qt.conf beside the program points Qt there.
#
# The run path is an RPATH, not the linker's default RUNPATH: the loader applies the
# program's RPATH to everything loaded into it that has no run path of its own, so the
# Qt libraries and the plugins find their own dependencies in lib/ too.
# prizedraw-verify, the console program that checks a draw, lies beside it the same way.
foreach(program IN ITEMS prizedraw prizedraw-verify)
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/lib")
    target_link_options(${program} PRIVATE "LINKER:--disable-new-dtags")
endforeach()
install(TARGETS prizedraw prizedraw-verify RUNTIME_DEPENDENCY_SET prizedraw_runtime
    RUNTIME DESTINATION .)

# xcb for the desktop (Wayland desktops run it through XWayland), offscreen for checks
# without a display, the input method plugins for typing Chinese into the settings
# window, and JPEG for the operator's own stage picture (Qt Gui reads PNG itself).
foreach(plugin IN ITEMS QXcbIntegrationPlugin QOffscreenIntegrationPlugin
        QComposePlatformInputContextPlugin QIbusPlatformInputContextPlugin QJpegPlugin)
    # Debian's Qt does not load its plugins' targets with Qt Gui.
    if(NOT TARGET Qt6::${plugin})
        find_package(Qt6${plugin} CONFIG REQUIRED PATHS "${Qt6Gui_DIR}" NO_DEFAULT_PATH)
    endif()
    get_target_property(type Qt6::${plugin} QT_PLUGIN_TYPE)
    install(IMPORTED_RUNTIME_ARTIFACTS Qt6::${plugin}
        RUNTIME_DEPENDENCY_SET prizedraw_runtime LIBRARY DESTINATION plugins/${type})
endforeach()
# The sound's media backend: GStreamer, whose own plugins are the system's.
if(NOT TARGET Qt6::QGstreamerMediaPlugin)
    find_package(Qt6QGstreamerMediaPlugin CONFIG REQUIRED PATHS "${Qt6Multimedia_DIR}" NO_DEFAULT_PATH)
endif()
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QGstreamerMediaPlugin
    RUNTIME_DEPENDENCY_SET prizedraw_runtime LIBRARY DESTINATION plugins/multimedia)

# Every desktop has these, and they must be the system's own: the C library and the
# compiler's run-time (which the graphics drivers load too, often newer), OpenGL with its
# drivers, the X11 core libraries, fonts (fontconfig reads the system's configuration)
# and the system services (D-Bus, systemd, GLib) with what they use. Everything else the
# program needs is bundled: Qt, ICU and the xcb and xkb libraries a desktop often lacks.
set(system_libraries
    "^ld-linux" "^lib(c|m|dl|pthread|rt|resolv|util|mvec|anl)\\.so" "^lib(stdc\\+\\+|gcc_s)\\.so"
    "^lib(GL|EGL|GLX|OpenGL|GLdispatch|drm|gbm)\\.so"
    "^lib(X11|X11-xcb|xcb|Xau|Xdmcp|ICE|SM)\\.so"
    "^lib(fontconfig|freetype|harfbuzz|graphite2|png16|brotli[a-z]*|expat|z)\\.so"
    "^lib(dbus-1|systemd|glib-2\\.0|pcre2-8|uuid|bsd|md|cap|gcrypt|gpg-error|lzma|lz4|zstd)\\.so"
    # Sound: the system's sound server and media framework, whose plugins and daemon
    # must match the libraries that talk to them.
    "^lib(gst[a-z]*-1\\.0|orc-0\\.4|pulse|pulse-[a-z]+|pulsecommon-[0-9.]+|asound|sndfile)\\.so"
    "^lib(gobject-2\\.0|gmodule-2\\.0|gio-2\\.0|ffi|unwind|dw|elf|bz2|asyncns|apparmor)\\.so")
install(RUNTIME_DEPENDENCY_SET prizedraw_runtime
    PRE_EXCLUDE_REGEXES ${system_libraries} LIBRARY DESTINATION lib)

install(CODE "
    include(\"${QT_DEPLOY_SUPPORT}\")
    qt_deploy_qt_conf(\"\${QT_DEPLOY_PREFIX}/qt.conf\" PREFIX . LIB_DIR lib PLUGINS_DIR plugins
        TRANSLATIONS_DIR translations)
")
