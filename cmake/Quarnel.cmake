# A plug-in module or shared library of the product: "X.dll" on Windows is "X.so" here, with no
# "lib" prefix, in the program folder.
function(quarnel_module name)
  add_library(${name} MODULE ${ARGN})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".so")
  target_link_libraries(${name} PRIVATE QuarnelPlatform)
endfunction()

# A shared library that programs link against (and may also load by name).
function(quarnel_shared_library name)
  add_library(${name} SHARED ${ARGN})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".so")
endfunction()

# A deliverable that exports only the functions named after it (the factory functions its host
# binds by name): its code is compiled with hidden symbols, and a version script keeps everything
# else local, the static libraries linked into it and the C++ library's template copies included,
# so that a host that loads several of the product's modules binds each name to its own copy.
# An object library only gets the hidden symbols; the module made of it names the exports.
function(quarnel_hide_symbols name)
  set_target_properties(${name} PROPERTIES C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(ARGN)
    list(JOIN ARGN "; " exports)
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}.exports)
    # Written only when its text changes, so that configuring again relinks nothing.
    file(CONFIGURE OUTPUT ${script} CONTENT "{\n  global: ${exports};\n  local: *;\n};\n")
    target_link_options(${name} PRIVATE "LINKER:--version-script=${script}")
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${script})
  endif()
endfunction()
