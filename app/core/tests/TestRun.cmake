# Unit tests only: nothing here is built by the fuzz preset.
if(QRV_FUZZ)
  return()
endif()

# The test run's tests: the item loop, the runner, the error-code table, the exports and the library binding.
# Plug-ins and fake system libraries are built for the tests only, beside the test binaries.
function(qrv_test_plugin target file)
  add_library(${target} MODULE ${ARGN})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/Inc)
  target_link_libraries(${target} PRIVATE qrv_port)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME "${file}" PREFIX "" SUFFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/plugins)
endfunction()

qrv_test_plugin(qrv_test_item_a TestItemA.dll plugins/TestItem.cpp)
qrv_test_plugin(qrv_test_item_b TestItemB.dll plugins/TestItem.cpp)
qrv_test_plugin(qrv_test_item_missing MissingEntry.dll plugins/TestItem.cpp)
target_compile_definitions(qrv_test_item_missing PRIVATE TEST_ITEM_WITHOUT_SPEC)

set(QRV_TEST_PLUGIN_DEFS
  TEST_ITEM_A="$<TARGET_FILE:qrv_test_item_a>"
  TEST_ITEM_B="$<TARGET_FILE:qrv_test_item_b>"
  TEST_ITEM_MISSING="$<TARGET_FILE:qrv_test_item_missing>")

qrv_gtest(qrv_site_item_loop_test
  SOURCES SiteItemLoopTest.cpp ErrorCodeTableTest.cpp TestRunFixture.cpp
  LIBS qrv_app)
target_compile_definitions(qrv_site_item_loop_test PRIVATE ${QRV_TEST_PLUGIN_DEFS})
add_dependencies(qrv_site_item_loop_test qrv_test_item_a qrv_test_item_b qrv_test_item_missing)

qrv_gtest(qrv_test_thread_test
  SOURCES TestThreadTest.cpp TestRunFixture.cpp
  LIBS qrv_app
  LABELS threads)
target_compile_definitions(qrv_test_thread_test PRIVATE ${QRV_TEST_PLUGIN_DEFS})
add_dependencies(qrv_test_thread_test qrv_test_item_a qrv_test_item_b qrv_test_item_missing)

qrv_test_plugin(qrv_fake_hw_known QRV_PlatformHW.dll plugins/FakeHardware.cpp)
set_target_properties(qrv_fake_hw_known PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/hw_known)
qrv_version_block(qrv_fake_hw_known FileDescription "HW_Velkara" FileVersion "3.2.1.0")
qrv_test_plugin(qrv_fake_hw_unknown QRV_PlatformHW.dll plugins/FakeHardware.cpp)
set_target_properties(qrv_fake_hw_unknown PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/hw_unknown)
qrv_version_block(qrv_fake_hw_unknown FileDescription "HW_Other" FileVersion "9.9.9.9")

qrv_gtest(qrv_library_binding_test
  SOURCES LibraryBindingTest.cpp TestRunFixture.cpp
  LIBS qrv_app)
target_compile_definitions(qrv_library_binding_test PRIVATE ${QRV_TEST_PLUGIN_DEFS}
  HW_KNOWN="$<TARGET_FILE:qrv_fake_hw_known>" HW_UNKNOWN="$<TARGET_FILE:qrv_fake_hw_unknown>")
add_dependencies(qrv_library_binding_test qrv_test_item_a qrv_test_item_b qrv_test_item_missing
  qrv_fake_hw_known qrv_fake_hw_unknown)

# The program's exports against a recording site panel, looked up by name as the libraries do.
qrv_gtest(qrv_exported_callbacks_test
  SOURCES ExportedCallbacksTest.cpp TestRunFixture.cpp
  LIBS qrv_app
  LABELS threads)
target_compile_definitions(qrv_exported_callbacks_test PRIVATE ${QRV_TEST_PLUGIN_DEFS}
  QRV_SW_LIBRARY="$<TARGET_FILE:QRV_PlatformSW>")
add_dependencies(qrv_exported_callbacks_test qrv_test_item_a qrv_test_item_b qrv_test_item_missing QRV_PlatformSW)
