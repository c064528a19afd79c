# The Debian package: CPack's DEB generator packs what install.cmake installs,
# with the prefix /usr, plus the files a Debian system expects around it.
#
#   make package            # the content must exist first (make content)
#   make package-check      # lintian, then install, start and remove it
#
# Added to every installation: the manual pages glint(1) (also glint-player(1))
# and zuo(1), gzip-compressed; the AppStream metadata
# share/metainfo/io.github.glint.metainfo.xml; share/doc/glint/copyright.
# Only in the package: share/doc/glint/changelog.Debian.gz and the lintian
# overrides, which mean nothing outside a Debian package.

# The package's version comes from the newest entry of the Debian changelog,
# as Debian's own tools take it; it must package this version of glint.
set(GLINT_DEB_CHANGELOG ${CMAKE_SOURCE_DIR}/dist/changelog.Debian)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${GLINT_DEB_CHANGELOG})
file(STRINGS ${GLINT_DEB_CHANGELOG} glint_changelog_top LIMIT_COUNT 1)
if(NOT glint_changelog_top MATCHES "^glint \\(([^)-]+)-([^)-]+)\\) ")
  message(FATAL_ERROR "glint: package: ${GLINT_DEB_CHANGELOG} does not start with "
    "an entry \"glint (VERSION-REVISION) ...\"")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "glint: package: the newest entry of ${GLINT_DEB_CHANGELOG} is for "
    "${CMAKE_MATCH_1}, the project is ${PROJECT_VERSION}; add an entry for it")
endif()
set(GLINT_DEB_REVISION ${CMAKE_MATCH_2})

# Debian wants manual pages and changelogs compressed with gzip -9, without a
# time stamp in the header so that the same source gives the same bytes.
set(GLINT_DIST_OUT ${CMAKE_BINARY_DIR}/dist)
configure_file(${CMAKE_SOURCE_DIR}/dist/glint.1.in ${GLINT_DIST_OUT}/glint.1 @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/dist/zuo.1.in ${GLINT_DIST_OUT}/zuo.1 @ONLY)
configure_file(${GLINT_DEB_CHANGELOG} ${GLINT_DIST_OUT}/changelog.Debian COPYONLY)
set(glint_gzipped)
foreach(name glint.1 zuo.1 changelog.Debian)
  add_custom_command(OUTPUT ${GLINT_DIST_OUT}/${name}.gz
    COMMAND gzip -9 --no-name --keep --force ${name}
    WORKING_DIRECTORY ${GLINT_DIST_OUT}
    DEPENDS ${GLINT_DIST_OUT}/${name}
    COMMENT "Compressing ${name}"
    VERBATIM)
  list(APPEND glint_gzipped ${GLINT_DIST_OUT}/${name}.gz)
endforeach()
add_custom_target(glint_gzipped_docs ALL DEPENDS ${glint_gzipped})

# The launcher's page is the player's: one page describes both.
file(CREATE_LINK glint.1.gz ${GLINT_DIST_OUT}/glint-player.1.gz SYMBOLIC)
install(FILES ${GLINT_DIST_OUT}/glint.1.gz ${GLINT_DIST_OUT}/glint-player.1.gz
  ${GLINT_DIST_OUT}/zuo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/dist/io.github.glint.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${GLINT_DIST_OUT}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR}
  COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/dist/glint.lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME glint
  COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glint)
set(CPACK_PACKAGE_VENDOR "glint maintainers")
set(CPACK_PACKAGE_CONTACT "glint maintainers <maintainers@users.noreply.c-seed-69d0ca88.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "animated music player for one long recording in ten tracks")
set(CPACK_PACKAGE_DESCRIPTION [=[
glint plays one long recording, divided into ten tracks, on a single
animated screen: an opening sequence, then the main screen with the
transport buttons, the name of the current track, the elapsed time and a
waveform of the music, and end titles when it is closed. At every start a
small setup dialog asks whether to run full screen or in a window.

The package holds the player, its launcher glint-player with a desktop
entry, the music and the pictures, and zuo, the tool that builds and
inspects the player's resource archives.]=])
set(CPACK_DEBIAN_PACKAGE_RELEASE ${GLINT_DEB_REVISION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Install rules that are not in the default component ("Unspecified") need
# naming here; "debian" adds the files only the package has.
set(CPACK_INSTALL_CMAKE_PROJECTS
  "${CMAKE_BINARY_DIR};glint;Unspecified;/"
  "${CMAKE_BINARY_DIR};glint;debian;/")
# The desktop entry names the launcher by its full path under the prefix, so
# the prefix during CPack's staging install must be the installed one, /usr,
# with the staging folder given as DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
