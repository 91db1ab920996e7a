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
