# `cpack -G DEB` in a build folder: a Debian package of what `cmake --install` installs,
# plus the copyright file and changelog that every Debian package carries.
set(CPACK_PACKAGE_NAME qinghe)
set(CPACK_PACKAGE_VENDOR "青禾")
set(CPACK_PACKAGE_CONTACT "青禾 <qinghe@qinghe-soft.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Lines of the long description stay under 80 characters, as Debian's tools expect.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "Builds batches of eye-catching headlines from three editable phrase lists"
       "(prefix, link phrase, optional suffix) joined by editable punctuation, shows"
       "them in two alternating colours and copies them to the clipboard. It can take"
       "the live titles of a public hot-search ranking as prefixes, and keeps four"
       "named configuration slots.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.qinghe-soft.example/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Folders that the installation creates get 0755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds the libraries the program links. libcurl is opened by name at the
# first hot-topic fetch, and Qt's platform plugins are loaded at start (libqt6gui6 only
# recommends them), so both are named here, and so are Qt's translations, which give its
# own menus and dialogs the window's language. The CJK font the form asks for and the
# Wayland plugin are recommended: the window opens without them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-arphic-uming, qt6-wayland")

# Built as Debian builds its packages: with the compiler and linker flags of
# dpkg-buildflags, every hardening feature included (the `deb` preset turns this on).
option(QINGHE_DEBIAN_BUILD_FLAGS "Compile and link with the flags of dpkg-buildflags" OFF)
if(QINGHE_DEBIAN_BUILD_FLAGS)
  find_program(QINGHE_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            ${QINGHE_DPKG_BUILDFLAGS} --get ${kind}
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}  # source paths are recorded relative to it
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(debian_${kind} UNIX_COMMAND "${flags}")
  endforeach()
  target_compile_options(qinghe_flags INTERFACE ${debian_CPPFLAGS} ${debian_CXXFLAGS})
  target_link_options(qinghe_flags INTERFACE ${debian_LDFLAGS})
endif()

# usr/share/doc/qinghe: the licence in Debian's machine-readable copyright format, taken
# from LICENSE, and the Debian changelog, compressed as Debian's tools expect. They go
# only into the package (component `debian`), not into a plain `cmake --install`.
set(QINGHE_DEBIAN_VERSION ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
string(REGEX MATCH "\nCopyright ([^\n]+)\n\n(.*)" found "${licence}")
if(NOT found)
  message(FATAL_ERROR "LICENSE: no \"Copyright ...\" line followed by the licence text")
endif()
set(QINGHE_COPYRIGHT "${CMAKE_MATCH_1}")
# Each line of a field's text starts with a space; an empty line is " .".
string(STRIP "${CMAKE_MATCH_2}" text)
string(REPLACE "\n" "\n " text " ${text}")
string(REPLACE "\n \n" "\n .\n" QINGHE_LICENSE_TEXT "${text}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C date -u -R -d ${QINGHE_RELEASE_DATE}
                OUTPUT_VARIABLE QINGHE_DEBIAN_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(debian_doc ${PROJECT_BINARY_DIR}/debian-doc)
configure_file(${CMAKE_SOURCE_DIR}/data/copyright.in ${debian_doc}/copyright @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/changelog.Debian.in ${debian_doc}/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${debian_doc}/changelog.Debian.gz
                   COMMAND gzip -9n -c ${debian_doc}/changelog.Debian > ${debian_doc}/changelog.Debian.gz
                   DEPENDS ${debian_doc}/changelog.Debian VERBATIM)
add_custom_target(qinghe_debian_changelog ALL DEPENDS ${debian_doc}/changelog.Debian.gz)
install(FILES ${debian_doc}/copyright ${debian_doc}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME} COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/data/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ${CPACK_PACKAGE_NAME} COMPONENT debian EXCLUDE_FROM_ALL)
# Stripping leaves the compilers' version notes; Debian's packaging tools take them out too.
install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                              \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/qinghe\"
                              COMMAND_ERROR_IS_FATAL ANY)"
        COMPONENT debian EXCLUDE_FROM_ALL)
# Everything of a plain installation, then the `debian` component.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/"
                                 "${PROJECT_BINARY_DIR};${PROJECT_NAME};debian;/")

include(CPack)
