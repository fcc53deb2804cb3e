# tianti_delay_load(TARGET DLL...): TARGET and everything linked with it
# link the given system DLLs (names without ".dll") so that each is loaded
# on the first call into it, not at start-up. They serve commands that most
# sessions never use (the links, the local processor, the picture windows),
# so the program starts and stays smaller without them.
#
# MSVC: /DELAYLOAD and delayimp.lib. MinGW: a delay-import library made by
# dlltool from cmake/delay/DLL.def, which lists the functions called; a call
# to a function missing there fails to link.
function(tianti_delay_load target)
  if(MSVC)
    foreach(dll IN LISTS ARGN)
      target_link_libraries(${target} PUBLIC ${dll})
      target_link_options(${target} PUBLIC /DELAYLOAD:${dll}.dll)
    endforeach()
    target_link_libraries(${target} PUBLIC delayimp)
  elseif(MINGW)
    if(NOT CMAKE_DLLTOOL)
      find_program(CMAKE_DLLTOOL NAMES ${TOOLCHAIN_PREFIX}-dlltool dlltool REQUIRED)
    endif()
    foreach(dll IN LISTS ARGN)
      set(def ${CMAKE_SOURCE_DIR}/cmake/delay/${dll}.def)
      set(lib ${CMAKE_BINARY_DIR}/delay/lib${dll}_delay.a)
      if(NOT TARGET ${dll}_delay)
        add_custom_command(OUTPUT ${lib}
          COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay
          COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --output-delaylib ${lib}
          DEPENDS ${def}
          COMMENT "Delay-import library for ${dll}.dll"
          VERBATIM)
        add_custom_target(${dll}_delay DEPENDS ${lib})
      endif()
      add_dependencies(${target} ${dll}_delay)
      target_link_libraries(${target} PUBLIC ${lib})
    endforeach()
  else()
    target_link_libraries(${target} PUBLIC ${ARGN})
  endif()
endfunction()
