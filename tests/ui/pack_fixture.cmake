# Packs the fixture skin like the real skin is packed (one solid LZMA2 block,
# 1 MiB dictionary, compressed header), adding "big.xml" one byte over the
# 4 MiB skin-file limit. Arguments: SRC (fixture folder), DIR (scratch copy),
# OUT (archive path).
file(REMOVE_RECURSE "${DIR}")
file(COPY "${SRC}/" DESTINATION "${DIR}")
string(REPEAT "a" 4194305 big)
file(WRITE "${DIR}/big.xml" "${big}")
file(REMOVE "${OUT}")
execute_process(COMMAND 7zz a -t7z -m0=lzma2 -md=1m -ms=on -mhc=on "${OUT}" .
                WORKING_DIRECTORY "${DIR}" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "7zz failed (${rc})")
endif()
