# Lists the zip and fails unless every file a user needs is in it, in the
# folders the install text names.
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ZIP}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list ${ZIP}")
endif()
# Whole lines only: a file in a subfolder does not count.
string(PREPEND listing "\n")
foreach(entry
    INSTALL.txt
    licences/vst3sdk.txt
    licences/clap.txt
    licences/pugl.txt
    licences/nanovg.txt
    licences/dejavu-fonts.txt
    CLAP/tapedelay.clap
    CLAP/tapedelay.dll
    CLAP/DejaVuSans.ttf
    tapedelay/tapedelay.exe
    tapedelay/tapedelay.dll
    tapedelay.vst3/Contents/x86_64-win/tapedelay.vst3
    tapedelay.vst3/Contents/x86_64-win/tapedelay.dll
    tapedelay.vst3/Contents/x86_64-win/DejaVuSans.ttf
    tapedelay.vst3/Contents/Resources/moduleinfo.json)
  string(FIND "${listing}" "\n${entry}\n" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${ZIP} lacks ${entry}:\n${listing}")
  endif()
endforeach()
