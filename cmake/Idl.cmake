# add_idl_library(NAME IDL SURFACE): compiles IDL with widl into a header, the
# identifiers and a type library in ${CMAKE_CURRENT_BINARY_DIR}/idl, and makes a
# static library NAME of the identifiers for the module and its clients. The IDL
# reads the contract values from the header SURFACE, whose folder NAME also carries.
# Sets NAME_GENERATED (the folder) in the caller; target NAME_files builds the files.
find_program(WIDL x86_64-w64-mingw32-widl REQUIRED)
# mingw-w64 ships no .idl files and no stdole2.tlb: Wine's, found beside the wine
# program that runs the tests (its include folder, and the folder of its 64-bit
# Windows modules under lib, lib64 or a multiarch folder of lib).
find_program(WINE wine REQUIRED)
get_filename_component(wine_prefix ${WINE} DIRECTORY)
get_filename_component(wine_prefix ${wine_prefix} DIRECTORY)
find_path(WINE_IDL_DIR oaidl.idl HINTS ${wine_prefix}/include/wine/wine/windows ${wine_prefix}/include/wine/windows
  NO_CMAKE_FIND_ROOT_PATH REQUIRED)
file(GLOB wine_module_dirs ${wine_prefix}/lib*/wine/x86_64-windows ${wine_prefix}/lib*/*/wine/x86_64-windows)
find_path(WINE_TYPELIB_DIR stdole2.tlb HINTS ${wine_module_dirs} NO_CMAKE_FIND_ROOT_PATH REQUIRED)

function(add_idl_library name idl surface)
  get_filename_component(base ${idl} NAME_WE)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/idl)
  set(outputs ${generated}/${base}.h ${generated}/${base}_i.c ${generated}/${base}.tlb)
  get_filename_component(surface_folder ${surface} DIRECTORY)
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}
    COMMAND ${WIDL} --win64 -I${surface_folder} -I${WINE_IDL_DIR} -L${WINE_TYPELIB_DIR}
            -h -H ${generated}/${base}.h -u -U ${generated}/${base}_i.c -t -T ${generated}/${base}.tlb ${idl}
    DEPENDS ${idl} ${surface}
    COMMENT "Compiling ${base}.idl"
    VERBATIM)
  add_custom_target(${name}_files DEPENDS ${outputs})
  add_library(${name} STATIC ${generated}/${base}_i.c)
  add_dependencies(${name} ${name}_files)
  target_include_directories(${name} PUBLIC ${generated} ${surface_folder})
  target_link_libraries(${name} PUBLIC ole32 oleaut32 uuid)
  set(${name}_GENERATED ${generated} PARENT_SCOPE)
endfunction()
