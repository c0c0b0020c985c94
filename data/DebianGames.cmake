# Run by cpack before it builds a package: Debian keeps games in /usr/games,
# so the program moves there; it still finds its pictures in ../share/tessaron
# (games/ and bin/ stand side by side).
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/tessaron")
foreach(program IN LISTS programs)
  get_filename_component(bin "${program}" DIRECTORY)
  get_filename_component(prefix "${bin}" DIRECTORY)
  file(MAKE_DIRECTORY "${prefix}/games")
  file(RENAME "${program}" "${prefix}/games/tessaron")
  file(GLOB left "${bin}/*")
  if(NOT left)
    file(REMOVE_RECURSE "${bin}")
  endif()
endforeach()
