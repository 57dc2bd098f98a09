# tapedelay_plugin_module(<target> <folder>): a plug-in format's module
# (LV2 aside, whose bundle has its own rules), written to <folder> under its
# format's name with the plug-in library copied beside it, from where the
# module loads it, and the editor's font beside both. On Linux only the
# entry points leave the module.
function(tapedelay_plugin_module target folder)
  set_target_properties(${target} PROPERTIES
      PREFIX ""
      OUTPUT_NAME tapedelay
      LIBRARY_OUTPUT_DIRECTORY ${folder})
  if(NOT WIN32)
    target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL)
    if(NOT TAPEDELAY_SANITIZE AND NOT TAPEDELAY_FUZZ)
      target_link_options(${target} PRIVATE -Wl,--no-undefined)
    endif()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tapedelay> ${folder}/
      COMMENT "Copying the plug-in library beside ${target}"
      VERBATIM)
  add_dependencies(${target} tapedelay)
  tapedelay_copy_editor_font(${target} ${folder})
endfunction()
