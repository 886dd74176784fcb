# widl compiles the IDL of the add-in's interfaces into a C++ header and the stand-in
# environment's type libraries. Debian's MinGW packages ship no system .idl files; libwine-dev does,
# and Wine brings the stdole2.tlb that type libraries import.
find_program(SPRIG_WIDL NAMES i686-w64-mingw32-widl widl REQUIRED)
set(SPRIG_WINE_IDL_DIR /usr/include/wine/wine/windows CACHE PATH "Directory of the system .idl files")
set(SPRIG_WINE_TLB_DIR /usr/lib/i386-linux-gnu/wine/i386-windows CACHE PATH "Directory of stdole2.tlb")

# sprig_widl(OPTION OUTPUT IDL [INCLUDES dir...] [DEPENDS file...]): runs widl with OPTION
# (-h for a header, -t for a type library) on IDL into OUTPUT. widl does not make OUTPUT's folder,
# and only some generators make it for a custom command, so the command makes it first.
function(sprig_widl option output idl)
  cmake_parse_arguments(ARG "" "" "INCLUDES;DEPENDS" ${ARGN})
  set(includes "")
  foreach(dir IN LISTS ARG_INCLUDES)
    list(APPEND includes -I ${dir})
  endforeach()
  get_filename_component(folder ${output} DIRECTORY)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${SPRIG_WIDL} ${option} -I ${SPRIG_WINE_IDL_DIR} ${includes} -L ${SPRIG_WINE_TLB_DIR} -o ${output} ${idl}
    DEPENDS ${idl} ${ARG_DEPENDS}
    COMMENT "widl ${option} ${idl}")
endfunction()
