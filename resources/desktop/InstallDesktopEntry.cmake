# Run by `cmake --install` (see resources/CMakeLists.txt, which sets TESSALY_DESKTOP_IN,
# TESSALY_DESKTOP_OUT, TESSALY_BINDIR and TESSALY_DATADIR). The prefix is known only now, since
# `--prefix` may change it after configuring: the desktop entry names the installed viewer by its
# full path, so that it starts whatever the PATH holds. An install into the live prefix (no DESTDIR,
# which belongs to packaging, whose own triggers do this) refreshes the prefix's MIME and desktop
# databases, without which the desktop knows neither the file types nor who opens them.
if(IS_ABSOLUTE "${TESSALY_BINDIR}")
  set(TESSALY_VIEWER "${TESSALY_BINDIR}/tessaly")
else()
  set(TESSALY_VIEWER "${CMAKE_INSTALL_PREFIX}/${TESSALY_BINDIR}/tessaly")
endif()
# Exec's own rules: "%" doubled; a path with a reserved character in double quotes, where ", `, $
# and \ take a backslash, itself doubled by the file's string escaping. Plain paths stay unquoted,
# as the simpler launchers (xdg-open without a desktop session) take the first word as it is.
string(REPLACE "%" "%%" TESSALY_EXEC "${TESSALY_VIEWER}")
if(TESSALY_EXEC MATCHES "[ \t\n\"'\\\\<>~|&;$*?#()`]")
  string(REPLACE "\\" "\\\\\\\\" TESSALY_EXEC "${TESSALY_EXEC}")
  foreach(special "\"" "`" "\$")
    string(REPLACE "${special}" "\\\\${special}" TESSALY_EXEC "${TESSALY_EXEC}")
  endforeach()
  set(TESSALY_EXEC "\"${TESSALY_EXEC}\"")
endif()
configure_file("${TESSALY_DESKTOP_IN}" "${TESSALY_DESKTOP_OUT}" @ONLY)
if(IS_ABSOLUTE "${TESSALY_DATADIR}")
  set(datadir "${TESSALY_DATADIR}")
else()
  set(datadir "${CMAKE_INSTALL_PREFIX}/${TESSALY_DATADIR}")
endif()
file(INSTALL DESTINATION "${datadir}/applications" TYPE FILE FILES "${TESSALY_DESKTOP_OUT}")

if("$ENV{DESTDIR}" STREQUAL "")
  foreach(step "update-mime-database;${datadir}/mime" "update-desktop-database;${datadir}/applications")
    list(GET step 0 tool)
    list(GET step 1 folder)
    find_program(tool_path ${tool})
    if(tool_path)
      message(STATUS "Updating: ${folder}")
      execute_process(COMMAND "${tool_path}" "${folder}" RESULT_VARIABLE failed)
      if(failed)
        message(WARNING "${tool} ${folder} failed: the desktop may not know Tessaly's files yet")
      endif()
    else()
      message(WARNING "No ${tool} (Debian: shared-mime-info, desktop-file-utils): run it on ${folder}")
    endif()
    unset(tool_path CACHE)
    unset(tool_path)
  endforeach()
endif()
