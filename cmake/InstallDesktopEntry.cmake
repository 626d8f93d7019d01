# Run by `cmake --install`: writes the desktop entry with the absolute path
# of the installed program, known only now (--prefix may change it).
# Expects CW_DESKTOP_TEMPLATE to be set by the install code before it.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(READ "${CW_DESKTOP_TEMPLATE}" entry)
string(REPLACE "@BINDIR@" "${CMAKE_INSTALL_PREFIX}/bin" entry "${entry}")
file(MAKE_DIRECTORY "${root}/share/applications")
message(STATUS "Installing: ${root}/share/applications/clipwright.desktop")
file(WRITE "${root}/share/applications/clipwright.desktop" "${entry}")
