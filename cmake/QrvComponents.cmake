# A merge that drops a folder from the component list would quietly leave its deliverable and its tests out of
# every build; the configure fails instead.

# Source folders that add_subdirectory reached, from <dir> down.
function(_qrv_built_folders dir out)
  get_property(children DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  set(built ${children})
  foreach(child IN LISTS children)
    _qrv_built_folders(${child} below)
    list(APPEND built ${below})
  endforeach()
  set(${out} ${built} PARENT_SCOPE)
endfunction()

# qrv_check_components(<folder> ...): every folder directly under one of the given folders of the source tree
# that holds a CMakeLists.txt must have been added, by the root or by its parent folder.
function(qrv_check_components)
  _qrv_built_folders(${CMAKE_SOURCE_DIR} built)
  set(missing "")
  foreach(parent IN LISTS ARGN)
    file(GLOB children LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/${parent}/*)
    foreach(child IN LISTS children)
      if(EXISTS ${child}/CMakeLists.txt AND NOT child IN_LIST built)
        file(RELATIVE_PATH name ${CMAKE_SOURCE_DIR} ${child})
        list(APPEND missing ${name})
      endif()
    endforeach()
  endforeach()
  if(missing)
    list(JOIN missing ", " names)
    message(FATAL_ERROR "Component folders not built: ${names}. Add them to the component list.")
  endif()
endfunction()
