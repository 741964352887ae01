# `cpack -G DEB` in a build folder: a Debian package of what `cmake --install` installs.
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

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds the libraries the program links. libcurl is opened by name at the
# first hot-topic fetch, and Qt's platform plugins are loaded at start (libqt6gui6 only
# recommends them), so both are named here. The CJK font the form asks for and the
# Wayland plugin are recommended: the window opens without them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, qt6-qpa-plugins")
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

include(CPack)
