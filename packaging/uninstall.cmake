# Removes what the last `cmake --install` put in place, as listed in its
# manifest, then the folders of oru's own that are left empty. The manifest
# lists paths without DESTDIR: give the same DESTDIR as to the install.
#
#   [DESTDIR=...] cmake -DMANIFEST=BUILD_DIR/install_manifest.txt -P packaging/uninstall.cmake

if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} does not exist (install first).")
endif()

file(STRINGS "${MANIFEST}" installed)
set(folders "")
foreach(path IN LISTS installed)
  set(path "$ENV{DESTDIR}${path}")
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    message(STATUS "Removing ${path}")
    file(REMOVE "${path}")
  endif()
  # Only folders named after oru (share/oru/..., share/doc/oru/...) are ours
  # to remove; bin/ and man1/ belong to everyone.
  get_filename_component(folder "${path}" DIRECTORY)
  while(folder MATCHES "/share/(doc/)?oru(/.*)?$")
    list(APPEND folders "${folder}")
    get_filename_component(folder "${folder}" DIRECTORY)
  endwhile()
endforeach()

# Deepest first, so a folder is empty once its subfolders are gone.
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
  file(GLOB left "${folder}/*" "${folder}/.*")
  if(IS_DIRECTORY "${folder}" AND NOT left)
    message(STATUS "Removing ${folder}/")
    file(REMOVE_RECURSE "${folder}")
  endif()
endforeach()
