# Installation: the player and the archive tool, the generated content, a
# launcher that starts the player in its content folder, a desktop entry and
# an icon.
#
#   make content                           # the content must exist first
#   cmake --install build --prefix PREFIX  # (`make install` does both)
#
# Layout under PREFIX: bin/glint, bin/zuo, bin/glint-player (the launcher),
# share/glint/{data.zuo,data/,glint.mp3}, share/applications/glint.desktop,
# share/icons/hicolor/256x256/apps/glint.png.
include(GNUInstallDirs)

set(GLINT_CONTENT_DIR ${CMAKE_BINARY_DIR}/content CACHE PATH
  "The content folder to install, as made by `make content`")
set(GLINT_INSTALL_CONTENT_DIR ${CMAKE_INSTALL_DATADIR}/glint)

install(TARGETS glint zuo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The launcher finds the content relative to itself, so the prefix can be
# chosen at install time or the tree moved afterwards.
file(RELATIVE_PATH GLINT_CONTENT_FROM_BIN /prefix/${CMAKE_INSTALL_BINDIR}
  /prefix/${GLINT_INSTALL_CONTENT_DIR})
configure_file(${CMAKE_SOURCE_DIR}/dist/glint-player.in ${CMAKE_BINARY_DIR}/glint-player @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/glint-player DESTINATION ${CMAKE_INSTALL_BINDIR})

# Content is made by a separate, slow step; refuse to install without it
# rather than install a player that cannot show anything. The environment
# variable GLINT_CONTENT_DIR, read at install time, installs another folder.
install(CODE "
  set(content \"${GLINT_CONTENT_DIR}\")
  if(DEFINED ENV{GLINT_CONTENT_DIR})
    set(content \"\$ENV{GLINT_CONTENT_DIR}\")
  endif()
  foreach(part data.zuo glint.mp3 data/gui data/font)
    if(NOT EXISTS \"\${content}/\${part}\")
      message(FATAL_ERROR \"glint: install: \${content}/\${part} is missing; \"
        \"run `make content` (or name a content folder in GLINT_CONTENT_DIR) first\")
    endif()
  endforeach()
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${GLINT_INSTALL_CONTENT_DIR}\"
    TYPE FILE FILES \"\${content}/data.zuo\" \"\${content}/glint.mp3\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${GLINT_INSTALL_CONTENT_DIR}\"
    TYPE DIRECTORY FILES \"\${content}/data\")")

# The desktop entry names the launcher by its full path under the prefix
# given at install time, which is known only then; Exec quotes it, since a
# prefix may hold spaces.
install(CODE "
  set(GLINT_LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/glint-player\")
  configure_file(\"${CMAKE_SOURCE_DIR}/dist/glint.desktop.in\"
    \"${CMAKE_BINARY_DIR}/glint.desktop\" @ONLY)")
install(FILES ${CMAKE_BINARY_DIR}/glint.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The icon is drawn by the content generator at build time.
set(GLINT_ICON ${CMAKE_BINARY_DIR}/glint.png)
add_custom_command(OUTPUT ${GLINT_ICON}
  COMMAND glint-content --icon ${GLINT_ICON}
  DEPENDS glint-content
  COMMENT "Drawing the desktop icon"
  VERBATIM)
add_custom_target(glint_icon ALL DEPENDS ${GLINT_ICON})
install(FILES ${GLINT_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
