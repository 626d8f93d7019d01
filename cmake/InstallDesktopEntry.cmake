# Run by `cmake --install`: writes the desktop entry with the absolute path
# of the installed program, known only now (--prefix may change it), named
# after the desktop id. Expects CW_DESKTOP_TEMPLATE and CW_APP_ID to be set
# by the install code before it.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(READ "${CW_DESKTOP_TEMPLATE}" entry)
string(REPLACE "@BINDIR@" "${CMAKE_INSTALL_PREFIX}/bin" entry "${entry}")
string(REPLACE "@APP_ID@" "${CW_APP_ID}" entry "${entry}")
set(entry_file "${root}/share/applications/${CW_APP_ID}.desktop")
file(MAKE_DIRECTORY "${root}/share/applications")
message(STATUS "Installing: ${entry_file}")
file(WRITE "${entry_file}" "${entry}")
