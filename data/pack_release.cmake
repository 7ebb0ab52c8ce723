# Packs the generated data set DATA_DIR into ARCHIVE with BRDATA. The members are sorted so
# the archive, and so the release digest, depend only on the data.
file(GLOB_RECURSE members LIST_DIRECTORIES false RELATIVE ${DATA_DIR} ${DATA_DIR}/*)
list(SORT members)
execute_process(COMMAND ${BRDATA} pack ${ARCHIVE}.new -C ${DATA_DIR} ${members}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "brdata pack ${ARCHIVE} failed: ${status}")
endif()
file(RENAME ${ARCHIVE}.new ${ARCHIVE})
