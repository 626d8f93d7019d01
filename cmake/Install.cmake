# What `cmake --install BUILD [--prefix DIR]` puts where. The programs find
# their files relative to their own folder, so the layout is fixed:
#   bin/clipwright, bin/clipwright-cli
#   libexec/clipwright/xenc               -> the system's ffmpeg
#   share/clipwright/data.dat, app.ico, htm/
#   share/applications/clipwright.desktop (desktop builds)
#   share/icons/hicolor/scalable/apps/clipwright.svg (desktop builds)
# Settings are never written into the installed folders: an installed program
# keeps config.ini in the user's configuration folder.

find_program(CW_FFMPEG ffmpeg)
if(NOT CW_FFMPEG)
  set(CW_FFMPEG /usr/bin/ffmpeg)
endif()

install(TARGETS clipwright-cli RUNTIME DESTINATION bin)
install(FILES ${PROJECT_BINARY_DIR}/data.dat DESTINATION share/clipwright)
install(CODE "
  set(xenc_dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/libexec/clipwright\")
  file(MAKE_DIRECTORY \"\${xenc_dir}\")
  message(STATUS \"Installing: \${xenc_dir}/xenc -> ${CW_FFMPEG}\")
  file(CREATE_LINK \"${CW_FFMPEG}\" \"\${xenc_dir}/xenc\" SYMBOLIC)
")

if(CW_GUI)
  install(TARGETS clipwright RUNTIME DESTINATION bin)
  install(FILES ${PROJECT_BINARY_DIR}/app.ico DESTINATION share/clipwright)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/htm/ DESTINATION share/clipwright/htm)
  install(FILES ${PROJECT_SOURCE_DIR}/desktop/clipwright.svg DESTINATION share/icons/hicolor/scalable/apps)
  install(CODE "set(CW_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/desktop/clipwright.desktop.in\")")
  install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallDesktopEntry.cmake)
endif()
