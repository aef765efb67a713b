# Runs at install time: writes the desktop entry with the installed
# program's absolute path, so that file managers offer Vorel in "Open With".
set(exe "${CMAKE_INSTALL_PREFIX}/vorel")
file(READ "${VOREL_DESKTOP_TEMPLATE}" entry)
string(REPLACE "@VOREL_EXE@" "${exe}" entry "${entry}")
set(dir "$ENV{DESTDIR}${VOREL_DESKTOP_DIR}")
file(MAKE_DIRECTORY "${dir}")
file(WRITE "${dir}/vorel.desktop" "${entry}")
message(STATUS "Installing: ${dir}/vorel.desktop")
