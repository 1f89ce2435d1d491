# Helpers that give every deliverable its file name, its place in the station folder,
# its RUNPATH and its version block, and that register unit tests and fuzzers the same way everywhere.

set(QRV_STATION_DIR ${CMAKE_BINARY_DIR}/station)
set(QRV_STATION_TEMPLATE ${CMAKE_SOURCE_DIR}/app/station)
set(QRV_TEST_ENV
  "QRV_HEADLESS=1"
  "QT_QPA_PLATFORM=offscreen"
  "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
  "TSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/tsan.supp:second_deadlock_stack=1"
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
  "QRV_STATION_BUILD_DIR=${QRV_STATION_DIR}"
  "QRV_SCREENS_DIR=${CMAKE_BINARY_DIR}/screens"
  "QRV_STATION_TEMPLATE_DIR=${QRV_STATION_TEMPLATE}")

if(NOT DEFINED QRV_FUZZ_SECONDS)
  set(QRV_FUZZ_SECONDS 20)
endif()

# RUNPATH from a folder inside the station to the folder itself and to System/, where libqrv_port.so lives.
function(_qrv_runpath out dest)
  if(dest STREQUAL "" OR dest STREQUAL ".")
    set(to_system "System")
  else()
    file(RELATIVE_PATH to_system ${QRV_STATION_DIR}/${dest} ${QRV_STATION_DIR}/System)
  endif()
  if(to_system STREQUAL "")
    set(${out} "$ORIGIN" PARENT_SCOPE)
  else()
    set(${out} "$ORIGIN:$ORIGIN/${to_system}" PARENT_SCOPE)
  endif()
endfunction()

# Writes the version strings (key NUL value NUL ...) into the ELF section read by port::ReadVersionString.
function(qrv_version_block target)
  set(body "")
  set(pairs ${ARGN})
  list(LENGTH pairs count)
  math(EXPR odd "${count} % 2")
  if(odd)
    message(FATAL_ERROR "qrv_version_block(${target}): keys and values must come in pairs")
  endif()
  while(pairs)
    list(POP_FRONT pairs key value)
    # Separate literals: "\0" directly before a digit of the value would read as an octal escape.
    string(APPEND body "    \"${key}\" \"\\0\" \"${value}\" \"\\0\"\n")
  endwhile()
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_block.cpp)
  file(GENERATE OUTPUT ${file} CONTENT
"// Generated: version strings of ${target}.
[[gnu::section(\".qrv_version\")]] extern const char qrv_version_block_${target}[];
[[gnu::used, gnu::section(\".qrv_version\")]] const char qrv_version_block_${target}[] =
${body};
")
  target_sources(${target} PRIVATE ${file})
endfunction()

# qrv_deliverable(<target> FILE <name> DEST <station sub-folder> [VERSION key value ...])
# Places a shared library, plug-in or the program under its file name in the station folder.
function(qrv_deliverable target)
  cmake_parse_arguments(ARG "" "FILE;DEST" "VERSION" ${ARGN})
  if(NOT ARG_DEST)
    set(ARG_DEST ".")
  endif()
  _qrv_runpath(runpath "${ARG_DEST}")
  get_target_property(type ${target} TYPE)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME "${ARG_FILE}"
    PREFIX ""
    SUFFIX ""
    BUILD_WITH_INSTALL_RPATH ON
    INSTALL_RPATH "${runpath}")
  if(type STREQUAL "EXECUTABLE")
    set_target_properties(${target} PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY ${QRV_STATION_DIR}/${ARG_DEST}
      ENABLE_EXPORTS ON)
  else()
    set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${QRV_STATION_DIR}/${ARG_DEST})
  endif()
  target_link_options(${target} PRIVATE "LINKER:--enable-new-dtags")
  if(ARG_VERSION)
    qrv_version_block(${target} ${ARG_VERSION})
  endif()
  set_property(GLOBAL APPEND PROPERTY QRV_DELIVERABLES ${target})
endfunction()

# qrv_gtest(<name> SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT s] [SERIAL])
# SERIAL: the test runs alone (stations whose loopback ports another test could take between choice and use).
function(qrv_gtest name)
  if(QRV_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "SERIAL" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads ${ARG_LIBS})
  if(TARGET qrv_test_support)
    target_link_libraries(${name} PRIVATE qrv_test_support)
  endif()
  set_target_properties(${name} PROPERTIES ENABLE_EXPORTS ON)
  # gtest_discover_tests expands list-valued properties three times before set_tests_properties sees
  # them; unescaped, only the first variable and the first label would survive.
  set(labels unit ${ARG_LABELS})
  string(REPLACE ";" "\\\\\\\\\\\\\\;" labels "${labels}")
  string(REPLACE ";" "\\\\\\\\\\\\\\;" environment "${QRV_TEST_ENV}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${environment}" LABELS "${labels}" TIMEOUT ${ARG_TIMEOUT} RUN_SERIAL ${ARG_SERIAL})
  # Each test above runs in a process of its own, which hides a fake or a global that one test leaves
  # behind for the next; the whole binary in one process shows it.
  add_test(NAME ${name}.whole COMMAND ${name})
  math(EXPR whole_timeout "${ARG_TIMEOUT} * 4")
  set(whole_labels unit whole ${ARG_LABELS})
  set_tests_properties(${name}.whole PROPERTIES
    ENVIRONMENT "${QRV_TEST_ENV}" LABELS "${whole_labels}" TIMEOUT ${whole_timeout}
    RUN_SERIAL "${ARG_SERIAL}")
  set_property(GLOBAL APPEND PROPERTY QRV_TEST_TARGETS ${name})
endfunction()

# qrv_fuzzer(<name> SOURCES ... [LIBS ...] [INCLUDES ...] [CORPUS dir] [DICT file] [MALLOC_LIMIT_MB n])
# Built only in the clang fuzz preset; its test is a short bounded run over the seed corpus. A single
# allocation of MALLOC_LIMIT_MB or more (default: the 2048 MB memory limit) counts as a crash.
function(qrv_fuzzer name)
  if(NOT QRV_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "CORPUS;DICT;MALLOC_LIMIT_MB" "SOURCES;LIBS;INCLUDES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_include_directories(${name} PRIVATE ${ARG_INCLUDES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  add_dependencies(fuzzers ${name})
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
  set(seeds "")
  if(ARG_CORPUS)
    set(seeds ${ARG_CORPUS})
  endif()
  if(ARG_DICT)
    set(seeds "-dict=${ARG_DICT} ${seeds}")
  endif()
  if(ARG_MALLOC_LIMIT_MB)
    set(seeds "-malloc_limit_mb=${ARG_MALLOC_LIMIT_MB} ${seeds}")
  endif()
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env "UBSAN_OPTIONS=halt_on_error=1"
      sh -c "mkdir -p '${work}' && exec \"$0\" -max_total_time=${QRV_FUZZ_SECONDS} -rss_limit_mb=2048 -print_final_stats=0 '${work}' ${seeds}"
      $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 600)
endfunction()

if(QRV_FUZZ AND NOT TARGET fuzzers)
  add_custom_target(fuzzers)
endif()

# Folders of the station that exist from the first run, and the shipped settings of the default model.
function(qrv_finish_station)
  if(QRV_FUZZ)
    return()
  endif()
  get_property(deliverables GLOBAL PROPERTY QRV_DELIVERABLES)
  add_custom_target(station ALL
    COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${QRV_STATION_TEMPLATE} -DSTATION=${QRV_STATION_DIR}
            -P ${CMAKE_SOURCE_DIR}/cmake/StationTemplate.cmake
    COMMENT "Assembling the station folder"
    VERBATIM)
  if(deliverables)
    add_dependencies(station ${deliverables})
  endif()
endfunction()
