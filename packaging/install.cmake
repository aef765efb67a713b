# Runs at install time. Writes the desktop entry, the file-manager actions and
# the Nautilus script with the installed program's absolute path, installs
# them and the icon through file(INSTALL) so that install_manifest.txt lists
# them, and refreshes the desktop database and icon cache of a live install.
#
# VOREL_LAYOUT: "portable" (the program at the prefix's top, the desktop
# files under VOREL_SHARE_DIR or the installing user's data folder) or
# "system" (bin/ and share/ of the prefix).

if(VOREL_LAYOUT STREQUAL "system")
  set(exe "${CMAKE_INSTALL_PREFIX}/bin/vorel")
  set(share "${CMAKE_INSTALL_PREFIX}/share")
  # Nautilus reads scripts only from each user's folder: the user links it.
  set(nautilus_dir "${share}/vorel/nautilus")
else()
  set(exe "${CMAKE_INSTALL_PREFIX}/vorel")
  set(share "${VOREL_SHARE_DIR}")
  if(share STREQUAL "")
    # The data folder of the user who installs.
    set(share "$ENV{XDG_DATA_HOME}")
    if(NOT IS_ABSOLUTE "${share}")
      set(share "$ENV{HOME}/.local/share")
    endif()
  endif()
  set(nautilus_dir "${share}/nautilus/scripts")
endif()

if(exe MATCHES "[\n\r\t]")
  message(FATAL_ERROR "The install prefix must not hold a line break or tab: ${CMAKE_INSTALL_PREFIX}")
endif()

# The Exec argument as a desktop entry wants it: in double
# quotes with ", `, $ and \ escaped, % doubled; then every \ doubled again
# for the key file's own string escapes.
string(REPLACE "\\" "\\\\" quoted "${exe}")
string(REPLACE "\"" "\\\"" quoted "${quoted}")
string(REPLACE "`" "\\`" quoted "${quoted}")
string(REPLACE "$" "\\$" quoted "${quoted}")
string(REPLACE "%" "%%" quoted "${quoted}")
set(exec "\"${quoted}\"")
# GLib looks the program up before it undoes the %%, and so refuses an entry
# whose program path holds a %; env starts such a program instead.
if(exe MATCHES "%")
  set(exec "env ${exec}")
endif()
string(REPLACE "\\" "\\\\" exec "${exec}")
# For the shell: in single quotes, a single quote as '\''.
string(REPLACE "'" "'\\''" sh "${exe}")
set(sh "'${sh}'")

set(gen "${VOREL_GEN_DIR}/${VOREL_LAYOUT}")
file(MAKE_DIRECTORY "${gen}")

# vorel_generate(TEMPLATE NAME DESTINATION [EXECUTABLE]): the template with the
# program filled in, installed as DESTINATION/NAME. A macro, so that
# file(INSTALL) adds to this script's list of installed files.
macro(vorel_generate template name destination)
  file(READ "${VOREL_SOURCE_DIR}/packaging/${template}" text)
  string(REPLACE "@VOREL_EXEC@" "${exec}" text "${text}")
  string(REPLACE "@VOREL_SH@" "${sh}" text "${text}")
  file(WRITE "${gen}/${name}" "${text}")
  set(permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  set(executable "${ARGN}")
  if(executable)
    list(APPEND permissions OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
  endif()
  file(INSTALL "${gen}/${name}" DESTINATION "${destination}" PERMISSIONS ${permissions})
endmacro()

vorel_generate(vorel.desktop.in vorel.desktop "${share}/applications")
# Dolphin takes a service menu in a user's folder only when it is executable.
vorel_generate(actions/dolphin.desktop.in vorel.desktop "${share}/kio/servicemenus" EXECUTABLE)
vorel_generate(actions/nemo_action.in vorel.nemo_action "${share}/nemo/actions")
vorel_generate(actions/file-manager.desktop.in vorel.desktop "${share}/file-manager/actions")
vorel_generate(actions/nautilus-script.in Vorel "${nautilus_dir}" EXECUTABLE)
file(INSTALL "${VOREL_SOURCE_DIR}/packaging/vorel.svg"
     DESTINATION "${share}/icons/hicolor/scalable/apps")
if(VOREL_LAYOUT STREQUAL "system")
  execute_process(COMMAND gzip -9 -n -c "${VOREL_SOURCE_DIR}/packaging/vorel.1"
                  OUTPUT_FILE "${gen}/vorel.1.gz" RESULT_VARIABLE gzip_result)
  if(NOT gzip_result EQUAL 0)
    message(FATAL_ERROR "gzip failed on the man page")
  endif()
  file(INSTALL "${gen}/vorel.1.gz" DESTINATION "${share}/man/man1")
  # A native Debian package's changelog, and the run bit of the Dolphin
  # service menu explained to lintian.
  execute_process(COMMAND gzip -9 -n -c "${VOREL_GEN_DIR}/changelog"
                  OUTPUT_FILE "${gen}/changelog.gz" RESULT_VARIABLE gzip_result)
  if(NOT gzip_result EQUAL 0)
    message(FATAL_ERROR "gzip failed on the changelog")
  endif()
  file(INSTALL "${gen}/changelog.gz" DESTINATION "${share}/doc/vorel")
  file(INSTALL "${VOREL_SOURCE_DIR}/packaging/lintian-overrides" DESTINATION "${share}/lintian/overrides"
       RENAME vorel)
endif()

# A package or a staged install leaves the refresh to the system that
# installs it (dpkg's triggers).
if("$ENV{DESTDIR}" STREQUAL "")
  find_program(update_desktop_database update-desktop-database)
  if(update_desktop_database)
    execute_process(COMMAND "${update_desktop_database}" -q "${share}/applications")
  endif()
  # A theme folder with an index or a cache is refreshed; a user's own
  # hicolor folder without either is read directly, and a cache made there
  # would hide the icons of programs installed later.
  set(hicolor "${share}/icons/hicolor")
  find_program(gtk_update_icon_cache gtk-update-icon-cache)
  if(gtk_update_icon_cache AND (EXISTS "${hicolor}/index.theme" OR EXISTS "${hicolor}/icon-theme.cache"))
    execute_process(COMMAND "${gtk_update_icon_cache}" -q -t -f "${hicolor}")
  endif()
endif()
