# Installing: the program directory PREFIX/lib/mirvane (the program finds its help file
# and emoji.exe beside itself), a PREFIX/bin/mirvane launcher, the desktop entry, the
# icons, the AppStream metainfo, the manual pages and the Debian copyright and changelog.
# `cpack -G DEB` in the build folder packs the same files under /usr.
#
# Every installed file is listed in install_manifest.txt. A copy of that list goes to
# PREFIX/lib/mirvane/install_manifest.txt, so that an install made from a build folder
# the installing user cannot write (a root build) is listed too and can be removed.

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(mirvane_packaging_dir "${CMAKE_SOURCE_DIR}/packaging")
set(mirvane_staged "${CMAKE_BINARY_DIR}/packaging")

# The build runs the program from the program directory as it will be installed.
set_target_properties(mirvane PROPERTIES BUILD_WITH_INSTALL_RPATH ON)
install(TARGETS mirvane bsendmail mirvane_emoji
    RUNTIME DESTINATION lib/mirvane)
install(TARGETS bsmtp
    LIBRARY DESTINATION lib/mirvane
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES "${MIRVANE_PROGRAM_DIR}/mirvane.hlp" DESTINATION lib/mirvane)

install(FILES "${MIRVANE_ARTWORK_DIR}/mirvane.png" DESTINATION share/icons/hicolor/32x32/apps)
foreach(size 16 48 64 128 256)
    install(FILES "${MIRVANE_ARTWORK_DIR}/mirvane-${size}.png"
        DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME mirvane.png)
endforeach()

# Texts that carry the version, and the compressed ones Debian asks for (gzip -9n: no
# name, no time stamp, so the package is reproducible). Made when CMake configures.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    "${mirvane_packaging_dir}/mirvane.1" "${mirvane_packaging_dir}/bsendmail.1"
    "${mirvane_packaging_dir}/changelog"
    "${mirvane_packaging_dir}/org.example.mirvane.metainfo.xml.in")
configure_file("${mirvane_packaging_dir}/org.example.mirvane.metainfo.xml.in"
    "${mirvane_staged}/org.example.mirvane.metainfo.xml" @ONLY)
foreach(text mirvane.1 bsendmail.1 changelog)
    configure_file("${mirvane_packaging_dir}/${text}" "${mirvane_staged}/${text}" @ONLY)
    execute_process(COMMAND gzip -9nf "${mirvane_staged}/${text}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES "${mirvane_staged}/org.example.mirvane.metainfo.xml" DESTINATION share/metainfo)
install(FILES "${mirvane_staged}/mirvane.1.gz" "${mirvane_staged}/bsendmail.1.gz"
    DESTINATION share/man/man1)
install(FILES "${mirvane_packaging_dir}/copyright" "${mirvane_staged}/changelog.gz"
    DESTINATION share/doc/mirvane)

install(CODE "set(MIRVANE_DESKTOP_TEMPLATE \"${CMAKE_SOURCE_DIR}/extras/mirvane.desktop.in\")
    set(MIRVANE_BUILD_DIR \"${CMAKE_BINARY_DIR}\")")
install(CODE [[
    set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
    # Files made here rather than copied are listed by hand, as file(INSTALL) would.
    macro(mirvane_installed path)
        list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${path}")
        message(STATUS "Installing: ${path}")
    endmacro()

    # The launcher: a relative link, so the installed tree can be moved as a whole.
    file(MAKE_DIRECTORY "${root}/bin")
    file(REMOVE "${root}/bin/mirvane")
    file(CREATE_LINK ../lib/mirvane/mirvane "${root}/bin/mirvane" SYMBOLIC)
    mirvane_installed("${root}/bin/mirvane")

    # The entry names the launcher by its full path, so it works for any prefix.
    file(READ "${MIRVANE_DESKTOP_TEMPLATE}" entry)
    string(REPLACE "@LAUNCHER@" "${CMAKE_INSTALL_PREFIX}/bin/mirvane" entry "${entry}")
    file(MAKE_DIRECTORY "${root}/share/applications")
    file(WRITE "${root}/share/applications/mirvane.desktop" "${entry}")
    mirvane_installed("${root}/share/applications/mirvane.desktop")

    # A system install, made by root or staged for a package, is shared by every user:
    # the marker keeps each user's files, root's too, out of the program directory.
    # An ordinary user's install into a prefix of their own keeps them beside the program.
    execute_process(COMMAND id -u OUTPUT_VARIABLE installing_uid OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(marker "${root}/lib/mirvane/system-install")
    if(NOT "$ENV{DESTDIR}" STREQUAL "" OR installing_uid STREQUAL "0")
        file(WRITE "${marker}"
            "A system install: each user's settings, address book and send history are kept\n"
            "in $XDG_CONFIG_HOME/mirvane and $XDG_DATA_HOME/mirvane, never here.\n")
        file(CHMOD "${marker}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        mirvane_installed("${marker}")
    else()
        file(REMOVE "${marker}")
    endif()

    # The list of installed files inside the install itself (not in a package, whose
    # files dpkg lists). A build folder the installing user cannot write (a root build
    # installed by an ordinary user) gets no list: CMake's own would fail there, so
    # the install ends here with this one.
    if("$ENV{DESTDIR}" STREQUAL "")
        set(list "${root}/lib/mirvane/install_manifest.txt")
        mirvane_installed("${list}")
        string(REPLACE ";" "\n" listed "${CMAKE_INSTALL_MANIFEST_FILES}")
        file(WRITE "${list}" "${listed}\n")
        execute_process(COMMAND test -w "${MIRVANE_BUILD_DIR}" RESULT_VARIABLE unwritable)
        if(unwritable)
            message(STATUS "Installed files are listed in ${list}")
            return()
        endif()
    endif()
]])

# The Debian package: dependencies from dpkg-shlibdeps, plus what the program runs or
# loads by name.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirvane)
set(CPACK_PACKAGE_VENDOR "Mirvane developers")
set(CPACK_PACKAGE_CONTACT "Mirvane developers <dev@mirvane.example.org>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Mirvane developers <dev@mirvane.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "mail composer for short mails with pictographs to mobile phones")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Mirvane writes short mails for mobile phones: it counts the body in bytes of
code page 932 against the 500-byte limit of handsets while you type, and offers
a palette of 252 carrier pictographs, one attachment, a signature, subject
phrases, a saved draft, a send history and an address book sorted by kana
reading. Mails are sent through the user's SMTP server. The program is in
Japanese.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://mirvane.example.org/")
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# emoji.exe runs fc-cache; the windows ask for the IPA fonts and Qt's Japanese texts.
# libcurl is opened when a mail is sent, not linked, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fontconfig, fonts-ipafont-gothic, qt6-translations-l10n, libcurl4 (>= 7.85)")
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
