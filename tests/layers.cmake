# Fails when the script host and the engine reach into each other: no file in
# script/ includes an engine/ header, no file in engine/ a script/ header or
# the JavaScript engine's own headers. app/ is where the two meet.
#
#   cmake -DSOURCE_DIR=<top folder> -P layers.cmake
set(crossings "")
foreach(pair "script;engine/" "engine;script/" "engine;js")
  list(GET pair 0 layer)
  list(GET pair 1 forbidden)
  if(forbidden STREQUAL "js")
    set(pattern "#[ \t]*include[ \t]*[<\"](jsapi\\.h|jsfriendapi\\.h|js/|mozilla/)")
  else()
    set(pattern "#[ \t]*include[ \t]*[<\"]${forbidden}")
  endif()
  file(GLOB sources "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "${pattern}")
    foreach(line IN LISTS includes)
      file(RELATIVE_PATH name "${SOURCE_DIR}" "${source}")
      list(APPEND crossings "${name}: ${line}")
    endforeach()
  endforeach()
endforeach()
if(crossings)
  list(JOIN crossings "\n  " listed)
  message(FATAL_ERROR "script/ and engine/ reach into each other, or engine/ into the JavaScript engine:\n  ${listed}")
endif()
message(STATUS "script/ and engine/ keep to themselves")
