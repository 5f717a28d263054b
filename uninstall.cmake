# Removes the files listed in `manifest`, one absolute path a line, as
# `cmake --install` writes it, then each folder listed in `folders` (those
# that installs made, recorded by install_folders.cmake) that is left empty,
# the deepest first. The folders that stay are kept in the record.
if(NOT EXISTS "${manifest}")
  message(FATAL_ERROR "no install to remove: ${manifest} does not exist")
endif()
file(STRINGS "${manifest}" installed_files)
foreach(installed IN LISTS installed_files)
  if(EXISTS "${installed}" OR IS_SYMLINK "${installed}")
    message(STATUS "Removing ${installed}")
    file(REMOVE "${installed}")
  endif()
endforeach()

if(NOT EXISTS "${folders}")
  return()
endif()
file(STRINGS "${folders}" made)
# A folder sorts before the folders inside it.
list(SORT made)
list(REVERSE made)
set(standing)
foreach(folder IN LISTS made)
  if(NOT IS_DIRECTORY "${folder}" OR IS_SYMLINK "${folder}")
    continue()
  endif()
  # rmdir removes a folder only when it is empty.
  execute_process(COMMAND rmdir -- "${folder}" RESULT_VARIABLE kept ERROR_QUIET)
  if(kept)
    list(APPEND standing "${folder}")
  else()
    message(STATUS "Removing ${folder}")
  endif()
endforeach()
list(JOIN standing "\n" lines)
file(WRITE "${folders}" "${lines}\n")
