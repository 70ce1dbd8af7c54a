# The same compile flags for a pkg-config IMPORTED_TARGET on every configure.
#
# SpiderMonkey's .pc file gives its headers as "-isystem DIR". FindPkgConfig
# turns that into an include directory on the configure that runs pkg-config,
# but a later configure rebuilds the target from the cache, where DIR is still
# a compile option. Every file that sees the headers then had its command line
# changed and was compiled again after the second configure.

# Sets PkgConfig::<prefix>'s include directories and compile options from the
# cached <prefix>_CFLAGS, the same on the first configure and any later one.
function(oru_stable_pkg_flags prefix)
  set(includes "")
  set(options "")
  set(next_is_include FALSE)
  foreach(flag IN LISTS ${prefix}_CFLAGS)
    if(next_is_include)
      list(APPEND includes "${flag}")
      set(next_is_include FALSE)
    elseif(flag STREQUAL "-isystem" OR flag STREQUAL "-I")
      set(next_is_include TRUE)
    elseif(flag MATCHES "^-(isystem|I)(.+)$")
      list(APPEND includes "${CMAKE_MATCH_2}")
    else()
      list(APPEND options "${flag}")
    endif()
  endforeach()
  # An imported target's include directories are system ones: out of our warnings.
  set_property(TARGET PkgConfig::${prefix} PROPERTY INTERFACE_INCLUDE_DIRECTORIES "${includes}")
  set_property(TARGET PkgConfig::${prefix} PROPERTY INTERFACE_COMPILE_OPTIONS "${options}")
endfunction()
