# Installs the build tree into a scratch prefix and checks what a user gets
# there: the launchers on PATH run the programs from their own folder, beside
# the keyword lists they read; the desktop entry hands the editor the file
# it is asked to open, for the types File > Open reads; every icon size and
# the manual pages are there.
# Takes BUILD_DIR, PREFIX, BINDIR, DATADIR and PROGRAM_DIR (all relative to
# PREFIX but the first two).
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "cmake --install ${BUILD_DIR} failed: ${rc}")
endif()

foreach(f ${BINDIR}/lumora ${BINDIR}/lumora-batch ${PROGRAM_DIR}/lumora ${PROGRAM_DIR}/lumora-batch
          ${PROGRAM_DIR}/data-jmp.txt ${PROGRAM_DIR}/data-EAX.txt ${PROGRAM_DIR}/data-mov.txt
          ${PROGRAM_DIR}/data-finda.txt ${DATADIR}/applications/lumora.desktop
          ${DATADIR}/metainfo/org.lumora.notepad.metainfo.xml
          ${DATADIR}/icons/hicolor/scalable/apps/lumora.svg
          ${DATADIR}/man/man1/lumora.1.gz ${DATADIR}/man/man1/lumora-batch.1.gz)
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
foreach(size 16 22 24 32 48 64 128 256)
  set(f ${DATADIR}/icons/hicolor/${size}x${size}/apps/lumora.png)
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# The launcher finds the program, and the program its keyword lists.
file(WRITE ${PREFIX}/in.txt "MOV EAX,1\r\n")
execute_process(COMMAND ${PREFIX}/${BINDIR}/lumora-batch --highlight ${PREFIX}/in.txt ${PREFIX}/out.rtf
                RESULT_VARIABLE rc ERROR_VARIABLE err)
file(READ ${PREFIX}/out.rtf rtf)
if(rc OR NOT rtf MATCHES "colortbl[^}]*red255")
  message(FATAL_ERROR "installed lumora-batch --highlight: ${rc} ${err}")
endif()

# The editor's launcher passes its arguments on.
execute_process(COMMAND ${PREFIX}/${BINDIR}/lumora -platform offscreen --version
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_QUIET)
if(rc OR NOT out MATCHES "^lumora [0-9]")
  message(FATAL_ERROR "installed lumora --version: ${rc} ${out}")
endif()

file(READ ${PREFIX}/${DATADIR}/applications/lumora.desktop entry)
if(NOT entry MATCHES "\nExec=lumora %f\n" OR NOT entry MATCHES "\nMimeType=text/plain;text/rtf;application/rtf;\n")
  message(FATAL_ERROR "the desktop entry does not offer the editor for the files it opens:\n${entry}")
endif()
