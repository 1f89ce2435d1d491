# Fails when the shipped program carries the names of the test tools' environment variables.
file(STRINGS ${PROGRAM} found REGEX "QRV_TEST_COMMANDS|QRV_TEST_SCREENSHOT|QRV_EXIT_AFTER_MS")
if(found)
  message(FATAL_ERROR "${PROGRAM} reads test hooks: ${found}")
endif()
