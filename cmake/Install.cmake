# What `cmake --install BUILD [--prefix DIR]` (and the Debian package, see
# Package.cmake) puts where. The programs find their files relative to their
# own folder, so the layout is fixed:
#   bin/clipwright, bin/clipwright-cli
#   libexec/clipwright/xenc               -> the system's ffmpeg
#   share/clipwright/data.dat, app.ico, htm/
#   share/applications/APP_ID.desktop     (desktop builds)
#   share/metainfo/APP_ID.metainfo.xml    (desktop builds)
#   share/icons/hicolor/scalable/apps/clipwright.svg (desktop builds)
#   share/man/man1/, share/doc/clipwright/ (manual pages, copyright, changelog)
# where APP_ID is the desktop id CW_APP_ID. Settings are never written into
# the installed folders: an installed program keeps config.ini in the user's
# configuration folder.

find_program(CW_FFMPEG ffmpeg)
if(NOT CW_FFMPEG)
  set(CW_FFMPEG /usr/bin/ffmpeg)
endif()

install(TARGETS clipwright-cli RUNTIME DESTINATION bin)
install(FILES ${PROJECT_BINARY_DIR}/data.dat DESTINATION share/clipwright)
# The encoder link: relative when the system's ffmpeg lies under the same
# prefix (/usr/libexec/clipwright/xenc -> ../../bin/ffmpeg, as a package
# wants it), absolute otherwise.
install(CODE "
  set(xenc_dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/libexec/clipwright\")
  set(xenc_target \"${CW_FFMPEG}\")
  if(xenc_target STREQUAL \"\${CMAKE_INSTALL_PREFIX}/bin/ffmpeg\")
    set(xenc_target ../../bin/ffmpeg)
  endif()
  file(MAKE_DIRECTORY \"\${xenc_dir}\")
  message(STATUS \"Installing: \${xenc_dir}/xenc -> \${xenc_target}\")
  file(CREATE_LINK \"\${xenc_target}\" \"\${xenc_dir}/xenc\" SYMBOLIC)
")

# Manual pages and the package's documents, compressed as Debian wants them
# (gzip -n: no name or time stamp, so that the package is reproducible).
set(cw_docs "")
foreach(doc man/clipwright-cli.1 man/clipwright.1 deb/changelog)
  get_filename_component(name ${doc} NAME)
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/docs/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/docs
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/${doc} > ${PROJECT_BINARY_DIR}/docs/${name}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${doc}
    VERBATIM)
  list(APPEND cw_docs ${PROJECT_BINARY_DIR}/docs/${name}.gz)
endforeach()
add_custom_target(docs ALL DEPENDS ${cw_docs})
install(FILES ${PROJECT_BINARY_DIR}/docs/clipwright-cli.1.gz DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/deb/copyright ${PROJECT_BINARY_DIR}/docs/changelog.gz
        DESTINATION share/doc/clipwright)

if(CW_GUI)
  install(TARGETS clipwright RUNTIME DESTINATION bin)
  install(FILES ${PROJECT_BINARY_DIR}/docs/clipwright.1.gz DESTINATION share/man/man1)
  install(FILES ${PROJECT_BINARY_DIR}/app.ico DESTINATION share/clipwright)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/htm/ DESTINATION share/clipwright/htm)
  install(FILES ${PROJECT_SOURCE_DIR}/desktop/clipwright.svg DESTINATION share/icons/hicolor/scalable/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/desktop/${CW_APP_ID}.metainfo.xml DESTINATION share/metainfo)
  install(CODE "set(CW_DESKTOP_TEMPLATE \"${PROJECT_SOURCE_DIR}/desktop/${CW_APP_ID}.desktop.in\")
                set(CW_APP_ID \"${CW_APP_ID}\")")
  install(SCRIPT ${PROJECT_SOURCE_DIR}/cmake/InstallDesktopEntry.cmake)
endif()
