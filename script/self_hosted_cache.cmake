# The engine's self-hosted code, compiled at build time and linked into
# oru_script (self_hosted_cache.h). Included by the top-level CMakeLists.txt
# after oru_script; also run as a script (-P) by the build step itself.

if(CMAKE_SCRIPT_MODE_FILE)
  # The build step. A failure only costs start-up time, never the build: the
  # cache is then empty and the engine compiles its self-hosted code as before.
  execute_process(COMMAND "${TOOL}" "${OUTPUT}.new" RESULT_VARIABLE result)
  if(result EQUAL 0 AND EXISTS "${OUTPUT}.new")
    file(RENAME "${OUTPUT}.new" "${OUTPUT}")
  else()
    message(WARNING "No self-hosted code cache (${result}): oru will compile it at start-up.")
    file(REMOVE "${OUTPUT}.new")
    file(WRITE "${OUTPUT}" "#include <cstddef>\n"
      "extern const unsigned char selfHostedCacheData[];\n"
      "extern const size_t selfHostedCacheSize;\n"
      "const unsigned char selfHostedCacheData[1] = {0};\n"
      "const size_t selfHostedCacheSize = 0;\n")
  endif()
  return()
endif()

add_executable(make_self_hosted_cache
  ${CMAKE_CURRENT_LIST_DIR}/make_self_hosted_cache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_build_id.cpp)
target_link_libraries(make_self_hosted_cache PRIVATE PkgConfig::MOZJS oru_warnings)

set(ORU_SELF_HOSTED_CACHE ${CMAKE_CURRENT_BINARY_DIR}/self_hosted_cache_data.cpp)
add_custom_command(OUTPUT ${ORU_SELF_HOSTED_CACHE}
  COMMAND ${CMAKE_COMMAND} -DTOOL=$<TARGET_FILE:make_self_hosted_cache>
    -DOUTPUT=${ORU_SELF_HOSTED_CACHE} -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS make_self_hosted_cache ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Encoding the engine's self-hosted code")
target_sources(oru_script PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/engine_build_id.cpp
  ${CMAKE_CURRENT_LIST_DIR}/self_hosted_cache.cpp
  ${ORU_SELF_HOSTED_CACHE})
