# Run by `cmake --install` before it copies anything. Adds to the record
# `record` each folder of `folders` (relative to the prefix) that does not
# exist yet, with its parents up to the first one that exists, so that
# `uninstall` removes the folders that installs made and no other. Entries
# of the record that no longer exist are dropped.
#
# A plain install only: the package's staging install, one component at a
# time, leaves the record alone, as it leaves install_manifest.txt.
if(CMAKE_INSTALL_COMPONENT)
  return()
endif()
set(made)
if(EXISTS "${record}")
  file(STRINGS "${record}" earlier)
  foreach(folder IN LISTS earlier)
    if(IS_DIRECTORY "${folder}")
      list(APPEND made "${folder}")
    endif()
  endforeach()
endif()
get_filename_component(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
foreach(relative IN LISTS folders)
  set(folder "${root}/${relative}")
  while(NOT EXISTS "${folder}")
    list(APPEND made "${folder}")
    get_filename_component(folder "${folder}" DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES made)
list(JOIN made "\n" lines)
file(WRITE "${record}" "${lines}\n")
