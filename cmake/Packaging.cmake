# make install and make package (a .deb): the programs, the udev rule, the
# desktop entry, the MIME type, the icons, the manual pages and the Debian doc files.
include(GNUInstallDirs)
# Folders made by the installation are 0755 whatever the umask (Debian 13 gives
# users 0002, which would make them group-writable in the package).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# /usr/share/doc/<package>, where Debian looks for the copyright and changelog.
set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/wheel-light-editor)

foreach(program wheel-editor wheelctl)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()
# The codec module, where the programs look for it: bin/../${WHEEL_PRIVATE_LIBDIR}.
# Not executable, as Debian wants shared libraries.
install(TARGETS wheel-codecs LIBRARY DESTINATION ${WHEEL_PRIVATE_LIBDIR}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

set(WHEEL_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${WHEEL_PACKAGING_DIR}/70-wheel-light.rules DESTINATION lib/udev/rules.d OPTIONAL)
install(FILES ${WHEEL_PACKAGING_DIR}/wheel-editor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The MIME type of picture sets (*.wheelset). The triggers of shared-mime-info
# and desktop-file-utils rebuild the MIME and desktop databases when files
# arrive in these two folders.
install(FILES ${WHEEL_PACKAGING_DIR}/wheel-editor.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME wheel-editor.xml)
# Software centres list the editor from its AppStream metainfo.
install(FILES ${WHEEL_PACKAGING_DIR}/org.example.wheel_light_editor.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${WHEEL_PACKAGING_DIR}/wheelctl.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME wheelctl)
install(FILES ${WHEEL_PACKAGING_DIR}/wheel-editor.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
    install(FILES ${WHEEL_PACKAGING_DIR}/wheel-editor-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME wheel-editor.png)
endforeach()

# The package's version names the release it is built on: a .deb links the
# release's own OpenCV and Qt libraries (libopencv-core406 on Debian 12,
# libopencv-core410 on Debian 13), so it installs there only.
include(${CMAKE_CURRENT_LIST_DIR}/DebianRelease.cmake)
wheel_debian_revision(WHEEL_DEB_REVISION WHEEL_DEB_DISTRIBUTION)
set(WHEEL_DEB_VERSION ${PROJECT_VERSION}.0-${WHEEL_DEB_REVISION})
# The changelog's newest entry carries that version and release.
file(READ ${WHEEL_PACKAGING_DIR}/debian/changelog wheel_changelog)
string(REGEX REPLACE "^wheel-light-editor \\([^)]*\\) [^;]*;"
       "wheel-light-editor (${WHEEL_DEB_VERSION}) ${WHEEL_DEB_DISTRIBUTION};" wheel_changelog "${wheel_changelog}")
file(WRITE ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.new "${wheel_changelog}")
file(COPY_FILE ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.new ${CMAKE_BINARY_DIR}/packaging/changelog.Debian
     ONLY_IF_DIFFERENT)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${WHEEL_PACKAGING_DIR}/debian/changelog)

# Manual pages and the changelog are installed compressed, as Debian expects
# (a package with a Debian revision names its changelog changelog.Debian.gz).
find_program(GZIP gzip)
if(GZIP)
    set(wheel_gz_files)
    foreach(page ${WHEEL_PACKAGING_DIR}/wheelctl.1 ${WHEEL_PACKAGING_DIR}/wheel-editor.1
                 ${CMAKE_BINARY_DIR}/packaging/changelog.Debian)
        get_filename_component(name ${page} NAME)
        set(gz ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
        add_custom_command(OUTPUT ${gz}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
            COMMAND ${GZIP} -9nc ${page} > ${gz}
            DEPENDS ${page})
        list(APPEND wheel_gz_files ${gz})
    endforeach()
    add_custom_target(wheel_manpages ALL DEPENDS ${wheel_gz_files})
    install(FILES ${CMAKE_BINARY_DIR}/packaging/wheelctl.1.gz ${CMAKE_BINARY_DIR}/packaging/wheel-editor.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
install(FILES ${WHEEL_PACKAGING_DIR}/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME wheel-light-editor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION}.0)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${WHEEL_DEB_REVISION})
set(CPACK_PACKAGE_CONTACT "Wheel light editor developers <wheel-editor@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the 24-LED bicycle wheel light")
set(CPACK_PACKAGE_DESCRIPTION "Opens a picture or composes text on a round template, shows a round\npreview of what the wheel light will show, and downloads it over USB HID\ninto the picture slots of the wheel light. Includes wheelctl, the same\nwithout a window.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-zenhei | fonts-noto-cjk")
# Qt's own buttons and dialogs in Chinese; the window native on Wayland
# (without qt6-wayland Qt falls back to XWayland with a warning).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${WHEEL_PACKAGING_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
include(CPack)
